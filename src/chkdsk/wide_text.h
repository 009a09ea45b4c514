// Conversions between the logic's UTF-8 texts and the wide texts of the check library's
// calls.
#pragma once

#include <string>

namespace zv::chkdsk {

// Invalid UTF-8 bytes become U+FFFD.
std::u16string toWide(const std::string& text);
// Unpaired surrogates become U+FFFD.
std::string fromWide(const std::u16string& text);
// The text up to the first zero of a wide buffer of `size` characters.
std::u16string wideBufferText(const char16_t* buffer, size_t size);

}  // namespace zv::chkdsk
