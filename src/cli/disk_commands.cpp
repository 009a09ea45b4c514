// Subcommands of this subsystem: not built yet.
#include "cli/cli_context.h"

namespace zv::cli {

namespace {
int notYet(CliContext& context, const std::vector<std::string>&) {
    context.err << "zorvane-cli: this command is not available yet\n";
    return 2;
}
}  // namespace

const CliCommand kDiskInfoCommand = {"diskinfo", "diskinfo", "diskinfo: not available yet\n", notYet};
const CliCommand kSmartCommand = {"smart", "smart", "smart: not available yet\n", notYet};

}  // namespace zv::cli
