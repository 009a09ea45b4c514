// Backslash escapes for the fields of line-based files.
#include "platform/linux/line_escape.h"

namespace zv::lnx {

namespace {

bool isControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool hasControlCharacter(std::string_view text) {
    for (char c : text)
        if (isControl(c)) return true;
    return false;
}

std::string escapedField(std::string_view text) {
    static const char* const digits = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default:
            if (isControl(c)) {
                unsigned char byte = static_cast<unsigned char>(c);
                out += "\\x";
                out.push_back(digits[byte >> 4]);
                out.push_back(digits[byte & 15]);
            } else {
                out.push_back(c);
            }
        }
    }
    return out;
}

std::optional<std::string> unescapedField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (isControl(c)) return std::nullopt;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (++i >= field.size()) return std::nullopt;
        switch (field[i]) {
        case '\\': out.push_back('\\'); break;
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case 'r': out.push_back('\r'); break;
        case 'x': {
            int high = i + 1 < field.size() ? hexValue(field[i + 1]) : -1;
            int low = i + 2 < field.size() ? hexValue(field[i + 2]) : -1;
            if (high < 0 || low < 0) return std::nullopt;
            out.push_back(char(high * 16 + low));
            i += 2;
            break;
        }
        default: return std::nullopt;
        }
    }
    return out;
}

}  // namespace zv::lnx
