#include "app/information_options.h"

#include "common/version.h"

namespace zv::app {

namespace {

constexpr const char* kHelp =
    "Usage: zorvane [/norefresh]\n"
    "       zorvane --help | --version\n"
    "\n"
    "Shows the drives of this machine in a window, one row per drive letter, and acts on them.\n"
    "\n"
    "  /norefresh   start without the first survey: the list fills at the first refresh\n"
    "               (F5 or the 20-second timer); any letter case\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the program's version and exit\n"
    "\n"
    "Environment: ZORVANE_MACHINE=FILE shows the simulated machine described by FILE.\n"
    "Without a display, list the drives on the terminal with: zorvane-cli list\n"
    "Manual: man zorvane\n";

}  // namespace

std::optional<int> answerInformationOptions(const std::vector<std::string>& argumentsAfterProgram, std::ostream& out) {
    for (const std::string& argument : argumentsAfterProgram) {
        if (argument == "--help" || argument == "-h") {
            out << kHelp;
            return 0;
        }
        if (argument == "--version") {
            out << "zorvane " << zorvaneVersion() << "\n";
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace zv::app
