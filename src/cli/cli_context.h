// What a subcommand of zorvane-cli receives.
#pragma once

#include "platform/api/platform.h"

#include <ostream>
#include <stdexcept>
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
// Writes `text` as a JSON string literal (quotes and escapes included); bytes that are no
// UTF-8 become U+FFFD, so the literal is always valid UTF-8.
std::string jsonQuote(const std::string& text);
// "X:" or "x:" (or "X") -> 'X'; 0 when the argument is no drive letter.
char parseDriveArgument(const std::string& argument);

// A subcommand used wrongly (unknown option, missing or bad value): runCli prints
// "zorvane-cli: <message>" on the error stream and exits with status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The arguments of a subcommand that takes one drive and --json. Throws UsageError for an
// unknown option, a second argument or no drive (with `whenMissing` as its message).
struct DriveRequest {
    char letter = 0;
    bool json = false;
};
DriveRequest parseDriveRequest(const std::vector<std::string>& args, bool json, const std::string& whenMissing);

// "a,b,,c" -> {"a", "b", "", "c"}; "" -> {}.
std::vector<std::string> splitCommaList(const std::string& text);

// Takes the value of option `name` at args[*index]: "--name VALUE" (advancing *index) or
// "--name=VALUE". Returns false when args[*index] is not that option; throws UsageError
// when the value is missing.
bool takeOptionValue(const std::vector<std::string>& args, size_t* index, const std::string& name,
                     std::string* value);

// The whole program: global options, then the subcommand and its arguments (argv without
// the program name). Returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zv::cli
