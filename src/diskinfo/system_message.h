// The system's message text for an error code, as the program shows it.
#pragma once

#include "platform/api/platform.h"

#include <string>

namespace zv::diskinfo {

// FormatMessage's text with the trailing line break, blanks and full stop removed (the
// error box adds its own full stop). "" when the system has no text for the code.
std::string systemMessage(platform::Platform& platform, win::DWORD errorCode);

// Removes leading and trailing blanks and control characters (codes up to 0x20).
std::string trimBlanks(const std::string& text);

}  // namespace zv::diskinfo
