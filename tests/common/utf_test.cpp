// The UTF-8/UTF-16 conversion pair: every scalar value against the C library's converter,
// the malformed sequences of the Unicode standard's table of maximal subparts, and unpaired
// surrogates.
#include "common/utf.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cerrno>
#include <random>
#include <string>
#include <vector>

namespace zv {
namespace {

// The C library's conversion between two encodings, as the reference; "" when it fails.
std::string iconvConvert(const std::string& bytes, const char* from, const char* to) {
    iconv_t converter = ::iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out(bytes.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outAt = out.data();
    size_t outLeft = out.size();
    const size_t result = ::iconv(converter, &in, &inLeft, &outAt, &outLeft);
    ::iconv_close(converter);
    if (result == size_t(-1) || inLeft != 0) return {};
    out.resize(out.size() - outLeft);
    return out;
}

std::string littleEndianBytes(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        out.push_back(char(unit & 0xFF));
        out.push_back(char(unit >> 8));
    }
    return out;
}

// Every scalar value (U+0000..U+10FFFF without the surrogates), as UTF-32LE bytes.
std::string allScalarsUtf32() {
    std::string out;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        for (int shift = 0; shift < 32; shift += 8) out.push_back(char((c >> shift) & 0xFF));
    }
    return out;
}

TEST(UtfConversion, EveryScalarValueAgreesWithTheCLibraryBothWays) {
    const std::string utf32 = allScalarsUtf32();
    const std::string utf8 = iconvConvert(utf32, "UTF-32LE", "UTF-8");
    const std::string utf16le = iconvConvert(utf32, "UTF-32LE", "UTF-16LE");
    ASSERT_FALSE(utf8.empty());
    ASSERT_FALSE(utf16le.empty());

    const std::u16string wide = utf16FromUtf8(utf8);
    EXPECT_EQ(littleEndianBytes(wide), utf16le) << "UTF-8 -> UTF-16";
    EXPECT_EQ(utf8FromUtf16(wide), utf8) << "UTF-16 -> UTF-8";
    EXPECT_TRUE(isValidUtf8(utf8));
    EXPECT_EQ(validUtf8(utf8), utf8) << "valid text is kept as it is";
}

TEST(UtfConversion, EachScalarValueOnItsOwnRoundTrips) {
    // One character at a time: no state leaks from one character into the next.
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        std::string utf8;
        appendUtf8(&utf8, c);
        size_t index = 0;
        ASSERT_EQ(decodeUtf8(utf8, &index), c);
        ASSERT_EQ(index, utf8.size());
        const std::u16string wide = utf16FromUtf8(utf8);
        ASSERT_EQ(wide.size(), c < 0x10000 ? 1u : 2u) << std::hex << uint32_t(c);
        ASSERT_EQ(utf8FromUtf16(wide), utf8) << std::hex << uint32_t(c);
    }
}

struct Malformed {
    const char* what;
    std::string bytes;
    std::u16string expected;
};

// Each maximal subpart of an ill-formed sequence is one U+FFFD; the byte that ends it is
// read again as the start of the next character.
TEST(UtfConversion, MalformedUtf8BecomesOneReplacementPerMaximalSubpart) {
    const std::vector<Malformed> cases = {
        {"the standard's example of maximal subparts", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
         u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
        {"a bad lead byte does not swallow the next character", "\xC3" "A", u"\uFFFDA"},
        {"two-byte sequence cut by the end", "ab\xC3", u"ab\uFFFD"},
        {"three-byte sequence cut by the end", "\xE2\x82", u"\uFFFD"},
        {"three-byte sequence cut by ASCII", "\xE2\x82" "x", u"\uFFFDx"},
        {"four-byte sequence cut by the end", "\xF0\x9F\x92", u"\uFFFD"},
        {"four-byte sequence cut by a lead byte", "\xF0\x9F\xC3\xA9", u"\uFFFD\u00E9"},
        {"lone continuation bytes", "\x80\xBF", u"\uFFFD\uFFFD"},
        {"overlong two-byte forms", "\xC0\xAF\xC1\xBF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"overlong three-byte form", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"overlong four-byte form", "\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"surrogate D800 encoded in UTF-8", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"surrogate DFFF encoded in UTF-8", "\xED\xBF\xBF", u"\uFFFD\uFFFD\uFFFD"},
        {"CESU-8 pair", "\xED\xA0\xBD\xED\xB2\xBE", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"bytes F5..FF", "\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF",
         u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"old five-byte form", "\xF8\x88\x80\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"largest scalars stay", "\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF", u"\uD7FF\uE000\U0010FFFF"},
    };
    for (const Malformed& c : cases) {
        EXPECT_EQ(utf16FromUtf8(c.bytes), c.expected) << c.what;
        const std::string repaired = validUtf8(c.bytes);
        EXPECT_TRUE(isValidUtf8(repaired)) << c.what;
        EXPECT_EQ(utf16FromUtf8(repaired), c.expected) << c.what << ": repairing keeps the same characters";
        const bool wellFormed = c.expected.find(u'\uFFFD') == std::u16string::npos;
        EXPECT_EQ(isValidUtf8(c.bytes), wellFormed) << c.what;
    }
}

// Random bytes, weighted towards lead and continuation bytes: repairing, converting to
// UTF-16 and back all agree, and what comes out is valid.
TEST(UtfConversion, ArbitraryBytesConvertConsistently) {
    std::mt19937 random(20261208);
    const unsigned char interesting[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                                         0xDF, 0xE0, 0xE1, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF};
    for (int round = 0; round < 20000; ++round) {
        std::string bytes(random() % 12, '\0');
        for (char& b : bytes)
            b = char(random() % 2 ? interesting[random() % sizeof interesting] : random() % 256);
        const std::string repaired = validUtf8(bytes);
        ASSERT_TRUE(isValidUtf8(repaired));
        ASSERT_EQ(utf8FromUtf16(utf16FromUtf8(bytes)), repaired);
        ASSERT_EQ(utf16FromUtf8(repaired), utf16FromUtf8(bytes));
        ASSERT_EQ(isValidUtf8(bytes), repaired == bytes);
    }
}

TEST(UtfConversion, TheReplacementCharacterItselfIsValid) {
    EXPECT_TRUE(isValidUtf8("\xEF\xBF\xBD"));
    EXPECT_EQ(validUtf8("a\xEF\xBF\xBD" "b"), "a\xEF\xBF\xBD" "b");
}

TEST(UtfConversion, UnpairedSurrogatesInUtf16BecomeReplacements) {
    const std::vector<std::pair<std::u16string, std::string>> cases = {
        {std::u16string(1, char16_t(0xD800)), "\xEF\xBF\xBD"},
        {std::u16string(1, char16_t(0xDC00)), "\xEF\xBF\xBD"},
        {std::u16string{char16_t(0xD83D), u'A'}, "\xEF\xBF\xBD" "A"},
        {std::u16string{char16_t(0xDCBE), char16_t(0xD83D)}, "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {std::u16string{u'x', char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDCBE)}, "x\xEF\xBF\xBD\xF0\x9F\x92\xBE"},
    };
    for (const auto& [wide, utf8] : cases) {
        EXPECT_EQ(utf8FromUtf16(wide), utf8);
        EXPECT_TRUE(isValidUtf8(utf8FromUtf16(wide)));
    }
}

TEST(UtfConversion, ZeroTerminatedWideText) {
    EXPECT_EQ(utf8FromUtf16(static_cast<const char16_t*>(nullptr)), "");
    EXPECT_EQ(utf8FromUtf16(u"C:\\caf\u00e9"), "C:\\caf\xC3\xA9");
    // Embedded zeros of a counted text are characters like any other.
    EXPECT_EQ(utf16FromUtf8(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

}  // namespace
}  // namespace zv
