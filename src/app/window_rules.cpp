#include "app/window_rules.h"

#include <algorithm>
#include <cctype>

namespace zv::app {

bool suppressesInitialSurvey(const std::vector<std::string>& argumentsAfterProgram) {
    if (argumentsAfterProgram.empty()) return false;
    std::string first = argumentsAfterProgram.front();
    std::transform(first.begin(), first.end(), first.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return first == "/norefresh";
}

int mainWindowWidth(int screenWidth) { return screenWidth > 1250 ? 1250 : 800; }

}  // namespace zv::app
