// Texts from devices and volumes as the terminal output writes them.
#include "common/utf.h"
#include "common/visible_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zv {
namespace {

bool holdsRawControl(const std::string& text) {
    for (size_t i = 0; i < text.size();)
        if (isControlCharacter(decodeUtf8(text, &i))) return true;
    return false;
}

TEST(VisibleText, TerminalSequencesOfALabelAreShownNotRun) {
    const std::string label = "\x1B]0;PWN\x07\x1B[31m";
    EXPECT_EQ(visibleText(label), "\\x1B]0;PWN\\x07\\x1B[31m");
}

TEST(VisibleText, EveryC0DelAndC1ControlIsEscapedAndNothingElse) {
    for (char32_t c = 0; c < 0x800; ++c) {
        std::string text;
        appendUtf8(&text, c);
        const std::string shown = visibleText(text);
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        EXPECT_EQ(shown == text, !control) << std::hex << uint32_t(c);
        EXPECT_FALSE(holdsRawControl(shown)) << std::hex << uint32_t(c);
    }
    EXPECT_EQ(visibleText("\xC2\x9B" "2J"), "\\x9B2J") << "C1 CSI in UTF-8";
    EXPECT_EQ(visibleText("a\tb\nc\rd\x7F"), "a\\x09b\\x0Ac\\x0Dd\\x7F");
}

TEST(VisibleText, BytesThatAreNoUtf8BecomeReplacementCharacters) {
    // A raw 0x9B byte is CSI to a terminal in an 8-bit mode.
    const std::string shown = visibleText("A\x9B" "2J\xC3");
    EXPECT_EQ(shown, "A\xEF\xBF\xBD" "2J\xEF\xBF\xBD");
    EXPECT_TRUE(isValidUtf8(shown));
}

TEST(VisibleText, PrintableTextIsUnchanged) {
    for (const std::string text : {"C:\\", "\\\\?\\Volume{3c2a9f10}\\", "Donn\xC3\xA9" "es \xF0\x9F\x92\xBE", ""})
        EXPECT_EQ(visibleText(text), text);
}

}  // namespace
}  // namespace zv
