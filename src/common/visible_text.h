// Texts that come from devices, volumes and files, made safe to print on a terminal.
//
// A volume label or a checker's line may hold control characters; written raw they would
// move the cursor, retitle the window or recolour the terminal. They are printed as a
// visible escape instead: `\xHH` with the character's code in two upper-case hex digits.
#pragma once

#include <string>
#include <string_view>

namespace zv {

// `bytes` as valid UTF-8 (ill-formed parts become U+FFFD) in which every C0 control
// (U+0000..U+001F), DEL (U+007F) and C1 control (U+0080..U+009F) is written as `\xHH`
// (ESC ] 0 ; T BEL is shown as `\x1B]0;T\x07`). Printable text is unchanged.
std::string visibleText(std::string_view bytes);

// True when the character would be escaped by visibleText.
bool isControlCharacter(char32_t scalar);

}  // namespace zv
