// The program's one pair of conversions between UTF-8 (its own text encoding) and UTF-16
// (the wide texts of the platform calls and of GPT partition names), and the repair of
// byte strings that should be UTF-8 but may not be (device identification, volume labels,
// checker output).
//
// Malformed input never stops a conversion: every maximal subpart of an ill-formed UTF-8
// sequence (the longest run of bytes that could begin a well-formed one, or a single byte)
// becomes one U+FFFD, and the byte that ended it starts the next character. An unpaired
// surrogate in UTF-16 becomes U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zv {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// The scalar value that starts at text[*index] (which must be inside the text), or U+FFFD
// for a maximal subpart of an ill-formed sequence; moves *index past what it read.
char32_t decodeUtf8(std::string_view text, size_t* index);
// Appends the UTF-8 form of a scalar value; surrogates and values above U+10FFFF are
// appended as U+FFFD.
void appendUtf8(std::string* out, char32_t scalar);

std::u16string utf16FromUtf8(std::string_view text);
std::string utf8FromUtf16(std::u16string_view text);
// A zero-terminated wide text; "" for a null pointer.
std::string utf8FromUtf16(const char16_t* text);

bool isValidUtf8(std::string_view text);
// `bytes` as valid UTF-8: ill-formed parts become U+FFFD, everything else is kept.
std::string validUtf8(std::string_view bytes);

}  // namespace zv
