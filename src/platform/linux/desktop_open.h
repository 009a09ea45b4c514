// Opening a folder, a file or a web address with the program the desktop has chosen for
// it, through xdg-open.
#pragma once

#include <string>
#include <vector>

namespace zv::lnx {

// How long a start waits for xdg-open to end before it counts as started: xdg-open hands
// over to the chosen program and ends within a moment, or runs that program itself (then
// it is still running, which is a success).
inline constexpr int kDesktopOpenWaitMs = 1500;

// Starts a program detached from Zorvane and waits up to `waitMs` for it to end. Its exit
// status when it ended in time (127: it could not be started); -1 when it is still
// running, which it goes on doing on its own; -2 when no process could be made.
int startProgramWatched(const std::vector<std::string>& argv, int waitMs);

// What the user is told when xdg-open ended with `status` for `what` ("" for 0).
std::string desktopOpenFailureText(const std::string& what, int status);

// Opens `what` with xdg-open. "" when it was opened (or is being opened); else the message
// for the user: xdg-open missing, nothing set up for this kind of address, or a failure.
std::string openWithDesktop(const std::string& what);

}  // namespace zv::lnx
