// Start-up rules of the main window that need no display: the command-line switch and the
// window's size.
#pragma once

#include <string>
#include <vector>

namespace zv::app {

// True when the first argument (after the program name) is "/norefresh" in any letter case.
bool suppressesInitialSurvey(const std::vector<std::string>& argumentsAfterProgram);

// The window width for a screen of `screenWidth` pixels: 1250 on a screen wider than 1250,
// else 800.
int mainWindowWidth(int screenWidth);

inline constexpr int kMainWindowHeight = 442;
inline constexpr int kToolBarWidth = 698;
inline constexpr int kRefreshIntervalMs = 20000;

}  // namespace zv::app
