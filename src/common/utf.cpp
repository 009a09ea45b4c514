#include "common/utf.h"

namespace zv {

namespace {

constexpr char32_t kLastScalar = 0x10FFFF;

bool isSurrogate(char32_t value) { return value >= 0xD800 && value <= 0xDFFF; }
bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// What a lead byte allows: the sequence length and the range of the second byte, which
// rules out overlong forms (E0, F0), encoded surrogates (ED) and values past U+10FFFF (F4).
struct LeadByte {
    size_t length = 0;  // 0: the byte can start no sequence
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    char32_t bits = 0;
};

LeadByte leadByte(unsigned char byte) {
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF, char32_t(byte & 0x1F)};
    if (byte == 0xE0) return {3, 0xA0, 0xBF, 0};
    if (byte == 0xED) return {3, 0x80, 0x9F, 0xD};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF, char32_t(byte & 0x0F)};
    if (byte == 0xF0) return {4, 0x90, 0xBF, 0};
    if (byte == 0xF4) return {4, 0x80, 0x8F, 4};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF, char32_t(byte & 0x07)};
    return {};
}

void appendUtf16(std::u16string* out, char32_t scalar) {
    if (scalar < 0x10000) {
        out->push_back(char16_t(scalar));
        return;
    }
    const char32_t offset = scalar - 0x10000;
    out->push_back(char16_t(0xD800 + (offset >> 10)));
    out->push_back(char16_t(0xDC00 + (offset & 0x3FF)));
}

}  // namespace

char32_t decodeUtf8(std::string_view text, size_t* index) {
    const size_t start = *index;
    const auto first = static_cast<unsigned char>(text[start]);
    if (first < 0x80) {
        *index = start + 1;
        return first;
    }
    const LeadByte lead = leadByte(first);
    if (lead.length == 0) {
        *index = start + 1;
        return kReplacementCharacter;
    }
    char32_t value = lead.bits;
    size_t read = 1;
    for (; read < lead.length && start + read < text.size(); ++read) {
        const auto byte = static_cast<unsigned char>(text[start + read]);
        const unsigned char low = read == 1 ? lead.secondLow : 0x80;
        const unsigned char high = read == 1 ? lead.secondHigh : 0xBF;
        if (byte < low || byte > high) break;
        value = (value << 6) | (byte & 0x3F);
    }
    // A sequence cut short is one maximal subpart: the byte that cut it is read again.
    *index = start + read;
    return read == lead.length ? value : kReplacementCharacter;
}

void appendUtf8(std::string* out, char32_t scalar) {
    if (isSurrogate(scalar) || scalar > kLastScalar) scalar = kReplacementCharacter;
    if (scalar < 0x80) {
        out->push_back(char(scalar));
    } else if (scalar < 0x800) {
        out->push_back(char(0xC0 | (scalar >> 6)));
        out->push_back(char(0x80 | (scalar & 0x3F)));
    } else if (scalar < 0x10000) {
        out->push_back(char(0xE0 | (scalar >> 12)));
        out->push_back(char(0x80 | ((scalar >> 6) & 0x3F)));
        out->push_back(char(0x80 | (scalar & 0x3F)));
    } else {
        out->push_back(char(0xF0 | (scalar >> 18)));
        out->push_back(char(0x80 | ((scalar >> 12) & 0x3F)));
        out->push_back(char(0x80 | ((scalar >> 6) & 0x3F)));
        out->push_back(char(0x80 | (scalar & 0x3F)));
    }
}

std::u16string utf16FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) appendUtf16(&out, decodeUtf8(text, &i));
    return out;
}

std::string utf8FromUtf16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            appendUtf8(&out, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            // A lone surrogate is turned into U+FFFD by appendUtf8.
            appendUtf8(&out, unit);
        }
    }
    return out;
}

std::string utf8FromUtf16(const char16_t* text) {
    return text ? utf8FromUtf16(std::u16string_view(text)) : std::string();
}

bool isValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        if (decodeUtf8(text, &i) == kReplacementCharacter && text.substr(start, i - start) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

std::string validUtf8(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + 8);
    for (size_t i = 0; i < bytes.size();) appendUtf8(&out, decodeUtf8(bytes, &i));
    return out;
}

}  // namespace zv
