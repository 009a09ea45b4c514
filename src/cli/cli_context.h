// What a subcommand of zorvane-cli receives.
#pragma once

#include "platform/api/platform.h"

#include <ostream>
#include <string>
#include <vector>

namespace zv::cli {

struct CliContext {
    platform::Platform& platform;
    bool json = false;       // --json was given
    std::ostream& out;
    std::ostream& err;
};

// A subcommand: `args` are its arguments after the global options (--machine FILE, --json)
// were taken out. Returns the exit status: 0 success, 1 the request failed, 2 usage error.
using CliRun = int (*)(CliContext& context, const std::vector<std::string>& args);

struct CliCommand {
    const char* name;
    const char* synopsis;  // one line for the overview, e.g. "list [--include-ab] [--exclude KINDS]"
    const char* help;      // the full --help text of the subcommand
    CliRun run;
};

// Every subcommand, in the order of `zorvane-cli --help` (cli_commands.cpp).
const std::vector<CliCommand>& cliCommands();

// The subcommands of each subsystem, each defined in its own file.
extern const CliCommand kListCommand;        // list_command.cpp
extern const CliCommand kOpticalCommand;     // optical_commands.cpp
extern const CliCommand kMediaCommand;
extern const CliCommand kEjectCommand;
extern const CliCommand kLoadCommand;
extern const CliCommand kLockCommand;
extern const CliCommand kUnlockCommand;
extern const CliCommand kDiskInfoCommand;    // disk_commands.cpp
extern const CliCommand kSmartCommand;
extern const CliCommand kChkdskCommand;      // tool_commands.cpp
extern const CliCommand kBenchCommand;
extern const CliCommand kVolumesCommand;
extern const CliCommand kUsbCommand;
extern const CliCommand kClustersCommand;

// Shared helpers for subcommands (cli_support.cpp).
// Writes `text` as a JSON string literal (quotes and escapes included).
std::string jsonQuote(const std::string& text);
// "X:" or "x:" (or "X") -> 'X'; 0 when the argument is no drive letter.
char parseDriveArgument(const std::string& argument);

}  // namespace zv::cli
