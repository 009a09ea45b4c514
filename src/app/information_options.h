// The window program's --help and --version: answered on the terminal, without a display
// and without surveying the machine.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zv::app {

// When the arguments (after the program name) ask for the help or the version, prints it to
// `out` and gives the exit status; otherwise nothing, and the window starts.
std::optional<int> answerInformationOptions(const std::vector<std::string>& argumentsAfterProgram, std::ostream& out);

}  // namespace zv::app
