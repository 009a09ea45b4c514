// Small text helpers of the simulated machine: case folding, path forms, rendering.
// (UTF-8 and UTF-16: common/utf.h.)
#pragma once

#include "platform/api/win32.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zv::sim {

std::string upper(std::string text);
bool equalsNoCase(const std::string& a, const std::string& b);
bool startsWithNoCase(const std::string& text, const std::string& prefix);

// The letter of "X", "X:", "X:\..." (upper case), or 0.
char letterOf(const std::string& text);
// "C" or "c:" as written in a machine file: the upper-case letter, or 0 when it is none.
char parseLetter(const std::string& text);

// Windows path in canonical form for lookups: upper case, "\" separators, no repeated or
// trailing separators except the root's ("C:\").
std::string canonicalPath(const std::string& path);
// The folder holding a canonical path ("C:\A\B" -> "C:\A", "C:\A" -> "C:\"); "" for a root.
std::string parentPath(const std::string& canonical);

// Rendering of call arguments for the call log.
std::string renderText(const char* text);      // "(null)" for a null pointer, else the text
std::string renderText(const char16_t* text);
std::string renderHex(uint64_t value);          // "0x2D1400"
std::string renderBool(win::BOOL value, win::DWORD error);  // "TRUE" or "FALSE (21)"
std::string renderPointer(const void* pointer);  // "(null)" or "buffer"
std::string hexBytes(const uint8_t* bytes, size_t size);  // "12 00 00"

// "0x1A", "26" -> 26; nullopt when the text is no number.
std::optional<uint64_t> parseUnsigned(const std::string& text);
// "12 00 ab" -> bytes; nullopt on a bad digit or an odd count.
std::optional<std::vector<uint8_t>> parseHexBytes(const std::string& text);

// Writes text with its NUL into a caller's buffer of `size` characters; false when it does
// not fit (nothing written then).
bool copyText(const std::string& text, char* buffer, win::DWORD size);
bool copyText(const std::u16string& text, char16_t* buffer, win::DWORD size);

}  // namespace zv::sim
