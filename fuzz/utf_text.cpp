// Conversions between UTF-8 and UTF-16. The input is read both as bytes (UTF-8 to convert)
// and as little-endian 16-bit units (UTF-16 to convert). For every input: what comes out
// as UTF-8 is well-formed; well-formed text survives the round trip unchanged; malformed
// parts become U+FFFD without taking a following ASCII character with them; an unpaired
// surrogate becomes U+FFFD.
//
// The program's one pair lives in common/utf.h; until that pair is in, the pairs of the
// check engine and of the two backends are fuzzed.
#include "support/check.h"

#if __has_include("common/utf.h")
#include "common/utf.h"
#else
#include "chkdsk/wide_text.h"
#include "platform/linux/linux_concerns.h"
#include "platform/sim/sim_text.h"
#endif

using namespace zv;

namespace {

// An independent reading of well-formedness (Unicode 15, table 3-7).
bool wellFormed(const std::string& text) {
    size_t i = 0;
    const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        const unsigned char b = at(i);
        size_t n = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b < 0x80) n = 0;
        else if (b >= 0xC2 && b <= 0xDF) n = 1;
        else if (b == 0xE0) n = 2, low = 0xA0;
        else if (b == 0xED) n = 2, high = 0x9F;
        else if (b >= 0xE1 && b <= 0xEF) n = 2;
        else if (b == 0xF0) n = 3, low = 0x90;
        else if (b == 0xF4) n = 3, high = 0x8F;
        else if (b >= 0xF1 && b <= 0xF3) n = 3;
        else return false;
        if (n > 0 && i + n >= text.size()) return false;
        for (size_t k = 1; k <= n; ++k) {
            const unsigned char c = at(i + k);
            if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF)) return false;
        }
        i += n + 1;
    }
    return true;
}

size_t asciiCount(const std::string& text) {
    size_t n = 0;
    for (char c : text) n += static_cast<unsigned char>(c) < 0x80;
    return n;
}

// The units with every unpaired surrogate replaced by U+FFFD.
std::u16string withoutLoneSurrogates(const std::u16string& units) {
    std::u16string out = units;
    for (size_t i = 0; i < out.size(); ++i) {
        const char16_t u = out[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) ++i;
        else if (u >= 0xD800 && u <= 0xDFFF) out[i] = 0xFFFD;
    }
    return out;
}

template <typename ToUtf16, typename ToUtf8>
void checkPair(const std::string& bytes, const std::u16string& units, ToUtf16 toUtf16, ToUtf8 toUtf8) {
    const std::string again = toUtf8(toUtf16(bytes));
    FUZZ_CHECK(wellFormed(again));
    if (wellFormed(bytes)) FUZZ_CHECK(again == bytes);
    FUZZ_CHECK(asciiCount(again) == asciiCount(bytes));

    const std::string narrow = toUtf8(units);
    FUZZ_CHECK(wellFormed(narrow));
    FUZZ_CHECK(toUtf16(narrow) == withoutLoneSurrogates(units));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::u16string units;
    for (size_t i = 0; i + 1 < size; i += 2) units += char16_t(data[i] | data[i + 1] << 8);
    // Zero-terminated forms stop at the first zero unit.
    std::u16string terminated = units.substr(0, units.find(u'\0'));

#if __has_include("common/utf.h")
    checkPair(bytes, units, [](const std::string& t) { return utf16FromUtf8(t); },
              [](const std::u16string& t) { return utf8FromUtf16(std::u16string_view(t)); });
    FUZZ_CHECK(utf8FromUtf16(terminated.c_str()) == utf8FromUtf16(std::u16string_view(terminated)));
    FUZZ_CHECK(isValidUtf8(bytes) == wellFormed(bytes));
    FUZZ_CHECK(validUtf8(bytes) == utf8FromUtf16(std::u16string_view(utf16FromUtf8(bytes))));
#else
    checkPair(bytes, units, [](const std::string& t) { return chkdsk::toWide(t); },
              [](const std::u16string& t) { return chkdsk::fromWide(t); });
    FUZZ_CHECK(chkdsk::wideBufferText(units.data(), units.size()) == terminated);
    // The backends' own pairs, replaced by the common one, only have to get through.
    lnx::utf16FromUtf8(bytes);
    lnx::utf8FromUtf16(terminated.c_str());
    sim::utf8ToUtf16(bytes);
    sim::utf16ToUtf8(units);
    sim::isValidUtf8(bytes);
#endif
    return 0;
}
