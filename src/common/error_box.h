// The application error box's texts.
#pragma once

#include <string>

namespace zv {

// Appends a full stop when the message's last character sorts after "." (letters, digits,
// ":"); a message ending in ".", "!", a quote mark or a blank, or an empty one, is unchanged.
std::string errorBoxText(const std::string& message);

// The application's title: the program file's name without directory and extension, every
// character after the first in lower case ("zorvane" gives "Zorvane", "ZORVANE.EXE" too).
std::string applicationTitle(const std::string& programPath);

}  // namespace zv
