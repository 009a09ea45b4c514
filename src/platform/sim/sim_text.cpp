#include "platform/sim/sim_text.h"

#include "common/utf.h"

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

std::string renderText(const char* text) { return text ? std::string(text) : std::string("(null)"); }
std::string renderText(const char16_t* text) { return text ? utf8FromUtf16(text) : std::string("(null)"); }

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
