// Fields of the line-based own files (letters file, substitute table): names and paths can
// hold any byte, so a line break or tab in one must never start another line or field.
// Backslash, and the control characters C0 and DEL, are written as \\ \n \t \r or \xNN.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zv::lnx {

std::string escapedField(std::string_view text);
// The field's text; nullopt for a field that holds a raw control character, an unknown
// escape or a truncated \xNN.
std::optional<std::string> unescapedField(std::string_view field);
// True when the text holds a C0 control character or DEL.
bool hasControlCharacter(std::string_view text);

}  // namespace zv::lnx
