#include "platform/sim/sim_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zv::sim {

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

bool equalsNoCase(const std::string& a, const std::string& b) { return upper(a) == upper(b); }

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

char letterOf(const std::string& text) {
    if (text.empty()) return 0;
    const char c = upper(text.substr(0, 1))[0];
    if (c < 'A' || c > 'Z') return 0;
    if (text.size() == 1 || text[1] == ':') return c;
    return 0;
}

char parseLetter(const std::string& text) {
    if (text.size() == 1 || (text.size() == 2 && text[1] == ':')) return letterOf(text);
    return 0;
}

std::string canonicalPath(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '/') c = '\\';
        if (c == '\\' && !out.empty() && out.back() == '\\' && out.size() > 1) continue;
        out.push_back(c);
    }
    out = upper(out);
    while (out.size() > 3 && out.back() == '\\') out.pop_back();
    return out;
}

std::string parentPath(const std::string& canonical) {
    if (canonical.size() <= 3) return {};
    const size_t slash = canonical.rfind('\\');
    if (slash == std::string::npos) return {};
    if (slash == 2) return canonical.substr(0, 3);
    return canonical.substr(0, slash);
}

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        uint32_t cp = c;
        size_t extra = 0;
        if (c >= 0xF0) { cp = c & 0x07; extra = 3; }
        else if (c >= 0xE0) { cp = c & 0x0F; extra = 2; }
        else if (c >= 0xC0) { cp = c & 0x1F; extra = 1; }
        ++i;
        for (size_t k = 0; k < extra && i < text.size(); ++k, ++i)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size()) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string utf16ToUtf8(const char16_t* text) {
    return text ? utf16ToUtf8(std::u16string(text)) : std::string();
}

bool isValidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t extra;
        if (c < 0x80) extra = 0;
        else if (c >= 0xC2 && c <= 0xDF) extra = 1;
        else if (c >= 0xE0 && c <= 0xEF) extra = 2;
        else if (c >= 0xF0 && c <= 0xF4) extra = 3;
        else return false;
        if (i + extra >= text.size() && extra > 0) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

std::string renderText(const char* text) { return text ? std::string(text) : std::string("(null)"); }
std::string renderText(const char16_t* text) { return text ? utf16ToUtf8(text) : std::string("(null)"); }

std::string renderHex(uint64_t value) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value);
    return "0x" + out;
}

std::string renderBool(win::BOOL value, win::DWORD error) {
    return value ? std::string("TRUE") : "FALSE (" + std::to_string(error) + ")";
}

std::string renderPointer(const void* pointer) { return pointer ? "buffer" : "(null)"; }

std::string hexBytes(const uint8_t* bytes, size_t size) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        if (i) out.push_back(' ');
        out.push_back(digits[bytes[i] >> 4]);
        out.push_back(digits[bytes[i] & 0xF]);
    }
    return out;
}

std::optional<uint64_t> parseUnsigned(const std::string& text) {
    if (text.empty()) return std::nullopt;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t start = hex ? 2 : 0;
    uint64_t value = 0;
    for (size_t i = start; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        const uint64_t base = hex ? 16 : 10;
        if (value > (UINT64_MAX - uint64_t(digit)) / base) return std::nullopt;
        value = value * base + uint64_t(digit);
    }
    return value;
}

std::optional<std::vector<uint8_t>> parseHexBytes(const std::string& text) {
    std::vector<uint8_t> out;
    int pending = -1;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return std::nullopt;
        if (pending < 0) {
            pending = digit;
        } else {
            out.push_back(uint8_t(pending * 16 + digit));
            pending = -1;
        }
    }
    if (pending >= 0) return std::nullopt;
    return out;
}

bool copyText(const std::string& text, char* buffer, win::DWORD size) {
    if (!buffer || text.size() + 1 > size) return false;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

bool copyText(const std::u16string& text, char16_t* buffer, win::DWORD size) {
    if (!buffer || text.size() + 1 > size) return false;
    std::copy(text.begin(), text.end(), buffer);
    buffer[text.size()] = 0;
    return true;
}

}  // namespace zv::sim
