// The items of a tool window's drive box: one per fixed drive, "X: [label]".
#pragma once

#include "platform/api/platform.h"

#include <string>
#include <vector>

namespace zv::diskinfo {

// Walks the logical drive roots (a 255-character list) and lists every root whose first
// character is a letter and whose drive type is fixed, as the letter, ": [", its volume label
// and "]".
std::vector<std::string> FixedDriveItems(platform::Platform& platform);

// The drive letter of a drive box text (its first character), 0 for an empty text.
char driveLetterOfItem(const std::string& itemText);

}  // namespace zv::diskinfo
