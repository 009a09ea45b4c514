#include "common/visible_text.h"

#include "common/utf.h"

namespace zv {

bool isControlCharacter(char32_t scalar) { return scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F); }

std::string visibleText(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const char32_t scalar = decodeUtf8(bytes, &i);
        if (isControlCharacter(scalar)) {
            out += "\\x";
            out.push_back(kDigits[scalar >> 4]);
            out.push_back(kDigits[scalar & 0xF]);
        } else {
            appendUtf8(&out, scalar);
        }
    }
    return out;
}

}  // namespace zv
