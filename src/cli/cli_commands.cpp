#include "cli/cli_context.h"

namespace zv::cli {

const std::vector<CliCommand>& cliCommands() {
    static const std::vector<CliCommand> commands = {
        kListCommand,   kOpticalCommand, kMediaCommand,  kEjectCommand,   kLoadCommand,
        kLockCommand,   kUnlockCommand,  kDiskInfoCommand, kSmartCommand, kChkdskCommand,
        kBenchCommand,  kVolumesCommand, kUsbCommand,    kClustersCommand,
    };
    return commands;
}

}  // namespace zv::cli
