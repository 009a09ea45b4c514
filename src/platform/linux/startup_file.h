// The per-user start-up file that stands for "c:\autoexec.bat" (autoexec.bat in the user's
// configuration folder). Its "subst X: path" lines bring substitute letters back at the first
// use in a new login session; Zorvane appends such lines ("Add to startup") and never
// rewrites what the user wrote.
#pragma once

#include "platform/linux/linux_context.h"
#include "platform/linux/startup_text.h"

#include <string>
#include <utility>
#include <vector>

namespace zv::lnx {

// The file's path; "" when there is no configuration folder (or it does not exist yet and
// `create` is false).
std::string startupFilePath(LinuxContext& ctx, bool create);
// The "subst" lines of the user's start-up file; its bad lines are reported once.
std::vector<std::pair<char, std::string>> startupSubstitutes(LinuxContext& ctx);
// Appends one line (`text` with or without its line end) to the start-up file under its
// lock, creating it when absent. Text with another control character, a second line break
// among them, is refused with EINVAL: a line break inside a path would add a command the
// user never typed. 0 or errno.
int appendToStartupFile(LinuxContext& ctx, const std::string& text);

}  // namespace zv::lnx
