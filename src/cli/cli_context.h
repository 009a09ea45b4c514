// What a subcommand of zorvane-cli receives, and the table of subcommands.
#pragma once

#include "cli/cli_options.h"
#include "platform/api/platform.h"

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace zv::cli {

struct CliContext {
    platform::Platform& platform;
    bool json = false;       // --json was given (before or after the subcommand)
    std::ostream& out;
    std::ostream& err;
};

// A subcommand: `args` are its options and operands, parsed against its own options and the
// global ones. Returns the exit status (see kExitStatusHelp).
using CliRun = int (*)(CliContext& context, const ParsedArguments& args);

struct CliCommand {
    const char* name;
    const char* operands;             // "X:" for a subcommand that takes a drive, else ""
    const char* description;          // the paragraphs of its --help, lines ended by '\n'
    std::vector<OptionSpec> options;  // its own options; the global ones are added by the parser
    CliRun run;
};

// The exit statuses of every subcommand, as --help and the guide list them.
extern const char* const kExitStatusHelp;

// Every subcommand, in the order of `zorvane-cli --help` (cli_commands.cpp).
const std::vector<CliCommand>& cliCommands();
// The options every subcommand accepts: --json, --machine FILE, --help.
const std::vector<OptionSpec>& globalOptions();
// "list [-o COLUMNS] [-n] ..." (without the global options).
std::string commandSynopsis(const CliCommand& command);
// The whole --help text of a subcommand.
std::string commandHelp(const CliCommand& command);

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
// "X:" or "x:" (or "X") -> 'X'; 0 when the argument is no drive letter.
char parseDriveArgument(const std::string& argument);

// A subcommand used wrongly (unknown option, missing or bad value): status 2; the message
// goes to the error stream ("zorvane-cli NAME: <message>"), with --json into the error object.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A request that could not be carried out: status 1; `code` names the kind of failure in
// the JSON error object ("no_such_drive", "not_optical", ...).
class CommandFailure : public std::runtime_error {
public:
    CommandFailure(std::string code, const std::string& message) : std::runtime_error(message), m_code(std::move(code)) {}
    const std::string& code() const { return m_code; }

private:
    std::string m_code;
};

// The one drive operand of a subcommand. Throws UsageError for a second operand, an operand
// that is no drive letter, or none (with `whenMissing` as the message).
char requireDrive(const ParsedArguments& args, const std::string& whenMissing);
// Throws UsageError when the subcommand was given an operand.
void requireNoOperands(const ParsedArguments& args, const std::string& command);
// Throws CommandFailure("no_such_drive") when the letter is no drive of the machine.
void requireExistingDrive(CliContext& context, char letter);

// "a,b,,c" -> {"a", "b", "", "c"}; "" -> {}.
std::vector<std::string> splitCommaList(const std::string& text);

// The whole program: global options, then the subcommand and its arguments (argv without
// the program name). Returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zv::cli
