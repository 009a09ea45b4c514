// Subcommands of this subsystem: not built yet.
#include "cli/cli_context.h"

namespace zv::cli {

namespace {
int notYet(CliContext& context, const std::vector<std::string>&) {
    context.err << "zorvane-cli: this command is not available yet\n";
    return 2;
}
}  // namespace

const CliCommand kChkdskCommand = {"chkdsk", "chkdsk", "chkdsk: not available yet\n", notYet};
const CliCommand kBenchCommand = {"bench", "bench", "bench: not available yet\n", notYet};
const CliCommand kVolumesCommand = {"volumes", "volumes", "volumes: not available yet\n", notYet};
const CliCommand kUsbCommand = {"usb", "usb", "usb: not available yet\n", notYet};
const CliCommand kClustersCommand = {"clusters", "clusters", "clusters: not available yet\n", notYet};

}  // namespace zv::cli
