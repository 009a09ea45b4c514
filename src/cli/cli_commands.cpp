// The subcommand table, the global options, the help texts and the error reports of
// zorvane-cli.
#include "cli/cli_context.h"
#include "cli/json_output.h"

#include "common/version.h"
#include "common/visible_text.h"
#include "platform/platform_factory.h"
#include "platform/sim/machine_file_error.h"

#include <memory>

namespace zv::cli {

const char* const kExitStatusHelp =
    "Exit status:\n"
    "  0  success\n"
    "  1  the request failed (no such drive, the device refused, a check could not run)\n"
    "  2  wrong use (unknown option, missing or bad value) or a bad machine file\n"
    "  3  chkdsk only: the check ran and found problems\n";

const std::vector<CliCommand>& cliCommands() {
    static const std::vector<CliCommand> commands = {
        kListCommand,   kOpticalCommand, kMediaCommand,  kEjectCommand,   kLoadCommand,
        kLockCommand,   kUnlockCommand,  kDiskInfoCommand, kSmartCommand, kChkdskCommand,
        kBenchCommand,  kVolumesCommand, kUsbCommand,    kClustersCommand,
    };
    return commands;
}

const std::vector<OptionSpec>& globalOptions() {
    static const std::vector<OptionSpec> options = {
        {"json", 0, nullptr, "print the answer as one JSON object (see the guide for its keys)"},
        {"machine", 0, "FILE",
         "use the simulated machine described by FILE; without it the file\n"
         "named by the environment variable ZORVANE_MACHINE, else this machine"},
        {"help", 'h', nullptr, "print this help"},
    };
    return options;
}

std::string commandSynopsis(const CliCommand& command) {
    std::string synopsis = command.name;
    if (*command.operands) synopsis += std::string(" ") + command.operands;
    if (!command.options.empty()) synopsis += " " + optionSynopsis(command.options);
    return synopsis;
}

std::string commandHelp(const CliCommand& command) {
    std::string help = "Usage: zorvane-cli " + commandSynopsis(command) + " [--json] [--machine FILE]\n\n";
    help += command.description;
    std::vector<OptionSpec> options = command.options;
    options.insert(options.end(), globalOptions().begin(), globalOptions().end());
    help += "\nOptions:\n" + optionHelpLines(options);
    return help + "\n" + kExitStatusHelp;
}

namespace {

// The options of the program before the subcommand: the global ones and --version.
const std::vector<OptionSpec>& programOptions() {
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> all = globalOptions();
        all.push_back({"version", 0, nullptr, "print the program's version"});
        return all;
    }();
    return options;
}

void printOverview(std::ostream& out) {
    out << "Usage: zorvane-cli [--machine FILE] [--json] SUBCOMMAND [ARGUMENTS]\n"
           "       zorvane-cli SUBCOMMAND --help\n"
           "       zorvane-cli --help | --version\n"
           "\n"
           "Reads the drives of this machine, or of a simulated one, without a display.\n"
           "\n"
           "Global options (also accepted after the subcommand):\n"
        << optionHelpLines(programOptions()) << "\nSubcommands:\n";
    for (const CliCommand& command : cliCommands()) out << "  " << commandSynopsis(command) << "\n";
    out << "\n" << kExitStatusHelp;
}

const CliCommand* findCommand(const std::string& name) {
    for (const CliCommand& command : cliCommands())
        if (name == command.name) return &command;
    return nullptr;
}

// --json anywhere before "--": errors are then reported as JSON, also those found before
// the arguments could be parsed.
bool asksForJson(const std::vector<std::string>& args) {
    for (const std::string& argument : args) {
        if (argument == "--") return false;
        if (argument == "--json") return true;
    }
    return false;
}

bool asksForHelp(const std::vector<std::string>& args) {
    for (const std::string& argument : args) {
        if (argument == "--") return false;
        if (argument == "--help" || argument == "-h") return true;
    }
    return false;
}

// Reports a failure: with --json as the error object on standard output, else as
// "zorvane-cli[ NAME]: message" on the error stream (and a hint for wrong use).
int report(std::ostream& out, std::ostream& err, bool json, const std::string& command, const std::string& code,
           const std::string& message, int status) {
    if (json) {
        nlohmann::ordered_json answer = jsonAnswer();
        answer["error"] = jsonError(code, message);
        writeJson(out, answer);
        return status;
    }
    const std::string prefix = command.empty() ? "zorvane-cli" : "zorvane-cli " + command;
    err << prefix << ": " << visibleText(message) << "\n";
    if (status == 2 && code == "usage") err << "Try '" << prefix << " --help'.\n";
    return status;
}

int runCommand(const CliCommand& command, const ParsedArguments& args, std::ostream& out, std::ostream& err) {
    const bool json = args.has("json");
    std::unique_ptr<platform::Platform> machine;
    try {
        machine = platform::createPlatform(args.value("machine"));
    } catch (const sim::MachineFileError& error) {
        return report(out, err, json, "", "machine_file", error.what(), 2);
    } catch (const std::exception& error) {
        return report(out, err, json, "", "platform", error.what(), 1);
    }
    CliContext context{*machine, json, out, err};
    try {
        return command.run(context, args);
    } catch (const UsageError& error) {
        return report(out, err, json, command.name, "usage", error.what(), 2);
    } catch (const CommandFailure& failure) {
        return report(out, err, json, command.name, failure.code(), failure.what(), 1);
    } catch (const std::exception& error) {
        return report(out, err, json, command.name, "failed", error.what(), 1);
    }
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const bool json = asksForJson(args);
    std::string commandName;
    try {
        size_t next = 0;
        const ParsedArguments global = parseArguments(args, programOptions(), true, &next);
        if (global.has("help")) {
            printOverview(out);
            return 0;
        }
        if (global.has("version")) {
            out << "zorvane-cli " << zorvaneVersion() << "\n";
            return 0;
        }
        if (next == args.size()) throw UsageError("no subcommand given");
        const CliCommand* command = findCommand(args[next]);
        if (!command) throw UsageError("unknown subcommand '" + args[next] + "'");
        commandName = command->name;

        const std::vector<std::string> rest(args.begin() + std::ptrdiff_t(next) + 1, args.end());
        if (asksForHelp(rest)) {
            out << commandHelp(*command);
            return 0;
        }
        std::vector<OptionSpec> specs = command->options;
        specs.insert(specs.end(), globalOptions().begin(), globalOptions().end());
        ParsedArguments parsed = parseArguments(rest, specs);
        parsed.merge(global);
        return runCommand(*command, parsed, out, err);
    } catch (const UsageError& error) {
        return report(out, err, json, commandName, "usage", error.what(), 2);
    }
}

}  // namespace zv::cli
