// Subcommands of this subsystem: not built yet.
#include "cli/cli_context.h"

namespace zv::cli {

namespace {
int notYet(CliContext& context, const std::vector<std::string>&) {
    context.err << "zorvane-cli: this command is not available yet\n";
    return 2;
}
}  // namespace

const CliCommand kOpticalCommand = {"optical", "optical", "optical: not available yet\n", notYet};
const CliCommand kMediaCommand = {"media", "media", "media: not available yet\n", notYet};
const CliCommand kEjectCommand = {"eject", "eject", "eject: not available yet\n", notYet};
const CliCommand kLoadCommand = {"load", "load", "load: not available yet\n", notYet};
const CliCommand kLockCommand = {"lock", "lock", "lock: not available yet\n", notYet};
const CliCommand kUnlockCommand = {"unlock", "unlock", "unlock: not available yet\n", notYet};

}  // namespace zv::cli
