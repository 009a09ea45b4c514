// The per-user memory of which volume had which letter: the "letters" file in the user's
// configuration folder, one "X<TAB>key" line a letter (letter_lines.h).
//
// Several processes (the window, the command line) save it: each save re-reads the file
// under its lock and applies only this process's changes, so letters given out by another
// process are kept.
#pragma once

#include "platform/linux/letters_file.h"
#include "platform/linux/linux_context.h"

#include <map>
#include <string>

namespace zv::lnx {

// The remembered letters; empty when there is no file yet. Bad lines are reported once.
std::map<char, std::string> loadRememberedLetters(LinuxContext& ctx);
// Saves the change from `before` to `after` (letters given to keys; a key keeps one letter)
// into the file as it is now, and makes `after` the merged result. False when it could not
// be saved (the reason is reported once).
bool saveRememberedLetters(LinuxContext& ctx, const std::map<char, std::string>& before,
                           std::map<char, std::string>& after);

}  // namespace zv::lnx
