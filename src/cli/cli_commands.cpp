// The subcommand table and the global options of zorvane-cli.
#include "cli/cli_context.h"

#include "common/version.h"
#include "common/visible_text.h"
#include "platform/platform_factory.h"
#include "platform/sim/machine_file_error.h"

#include <memory>

namespace zv::cli {

const std::vector<CliCommand>& cliCommands() {
    static const std::vector<CliCommand> commands = {
        kListCommand,   kOpticalCommand, kMediaCommand,  kEjectCommand,   kLoadCommand,
        kLockCommand,   kUnlockCommand,  kDiskInfoCommand, kSmartCommand, kChkdskCommand,
        kBenchCommand,  kVolumesCommand, kUsbCommand,    kClustersCommand,
    };
    return commands;
}

namespace {

bool isHelpOption(const std::string& argument) { return argument == "--help" || argument == "-h"; }

void printOverview(std::ostream& out) {
    out << "Usage: zorvane-cli [--machine FILE] [--json] SUBCOMMAND [ARGUMENTS]\n"
           "       zorvane-cli SUBCOMMAND --help\n"
           "       zorvane-cli --help | --version\n"
           "\n"
           "Reads the drives of this machine, or of a simulated one, without a display.\n"
           "\n"
           "Global options (also accepted after the subcommand):\n"
           "  --machine FILE  use the simulated machine described by FILE; without it the file\n"
           "                  named by the environment variable ZORVANE_MACHINE, else this machine\n"
           "  --json          print the answer as JSON instead of text\n"
           "  -h, --help      print this help, or a subcommand's help after its name\n"
           "  --version       print the program's version\n"
           "\n"
           "Subcommands:\n";
    for (const CliCommand& command : cliCommands()) out << "  " << command.synopsis << "\n";
    out << "\n"
           "Exit status: 0 success, 1 the request failed, 2 wrong use or a bad machine file.\n";
}

const CliCommand* findCommand(const std::string& name) {
    for (const CliCommand& command : cliCommands())
        if (name == command.name) return &command;
    return nullptr;
}

struct GlobalOptions {
    std::string machineFile;
    bool json = false;
};

// Takes a global option at args[*index]; false when the argument is none.
bool takeGlobalOption(const std::vector<std::string>& args, size_t* index, GlobalOptions* options) {
    if (args[*index] == "--json") {
        options->json = true;
        return true;
    }
    return takeOptionValue(args, index, "--machine", &options->machineFile);
}

int runCommand(const CliCommand& command, const GlobalOptions& options, const std::vector<std::string>& args,
               std::ostream& out, std::ostream& err) {
    std::unique_ptr<platform::Platform> machine;
    try {
        machine = platform::createPlatform(options.machineFile);
    } catch (const sim::MachineFileError& error) {
        err << "zorvane-cli: " << visibleText(error.what()) << "\n";
        return 2;
    } catch (const std::exception& error) {
        err << "zorvane-cli: " << visibleText(error.what()) << "\n";
        return 1;
    }
    CliContext context{*machine, options.json, out, err};
    try {
        return command.run(context, args);
    } catch (const UsageError& error) {
        err << "zorvane-cli " << command.name << ": " << visibleText(error.what()) << "\n"
            << "Try 'zorvane-cli " << command.name << " --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        err << "zorvane-cli " << command.name << ": " << visibleText(error.what()) << "\n";
        return 1;
    }
}

}  // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    GlobalOptions options;
    try {
        size_t index = 0;
        for (; index < args.size(); ++index) {
            const std::string& argument = args[index];
            if (isHelpOption(argument)) {
                printOverview(out);
                return 0;
            }
            if (argument == "--version") {
                out << "zorvane-cli " << zorvaneVersion() << "\n";
                return 0;
            }
            if (takeGlobalOption(args, &index, &options)) continue;
            if (!argument.empty() && argument[0] == '-') throw UsageError("unknown option '" + argument + "'");
            break;
        }
        if (index == args.size()) throw UsageError("no subcommand given");

        const CliCommand* command = findCommand(args[index]);
        if (!command) throw UsageError("unknown subcommand '" + args[index] + "'");

        std::vector<std::string> rest;
        bool optionsEnded = false;
        for (++index; index < args.size(); ++index) {
            const std::string& argument = args[index];
            if (optionsEnded) {
                rest.push_back(argument);
            } else if (argument == "--") {
                optionsEnded = true;
            } else if (isHelpOption(argument)) {
                out << command->help;
                return 0;
            } else if (!takeGlobalOption(args, &index, &options)) {
                rest.push_back(argument);
            }
        }
        return runCommand(*command, options, rest, out, err);
    } catch (const UsageError& error) {
        err << "zorvane-cli: " << visibleText(error.what()) << "\n"
            << "Try 'zorvane-cli --help'.\n";
        return 2;
    }
}

}  // namespace zv::cli
