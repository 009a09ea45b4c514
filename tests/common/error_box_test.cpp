#include "common/error_box.h"
#include "common/number_format.h"

#include <gtest/gtest.h>

namespace {

TEST(ErrorBoxText, AppendsFullStopAfterLettersDigitsAndColon) {
    EXPECT_EQ(zv::errorBoxText("CD/DVD drive not selected"), "CD/DVD drive not selected.");
    EXPECT_EQ(zv::errorBoxText("Drive In Use: C:"), "Drive In Use: C:.");
    EXPECT_EQ(zv::errorBoxText("Error 21"), "Error 21.");
}

TEST(ErrorBoxText, KeepsMessagesEndingInPunctuationQuotesOrBlanks) {
    EXPECT_EQ(zv::errorBoxText("The selected drive is not a CD/DVD drive."), "The selected drive is not a CD/DVD drive.");
    EXPECT_EQ(zv::errorBoxText("Stop!"), "Stop!");
    EXPECT_EQ(zv::errorBoxText("Invalid data type for 'NoDrives'"), "Invalid data type for 'NoDrives'");
    EXPECT_EQ(zv::errorBoxText("ends in a blank "), "ends in a blank ");
    EXPECT_EQ(zv::errorBoxText(""), "");
}

TEST(ApplicationTitle, CapitalisesTheProgramName) {
    EXPECT_EQ(zv::applicationTitle("/usr/bin/zorvane"), "Zorvane");
    EXPECT_EQ(zv::applicationTitle("C:\\Tools\\ZORVANE.EXE"), "Zorvane");
}

TEST(NumberFormat, FixedWidthUsesTheLocaleDecimalSeparator) {
    zv::LocaleSeparators german{",", "."};
    EXPECT_EQ(zv::formatFixed(465.764, 3, 2, german), "465,76");
    EXPECT_EQ(zv::formatFixed(45.27, 8, 1, {}), "    45.3");
    EXPECT_EQ(zv::formatFixed(-0.000001, 3, 2, {}), "0.00");
}

TEST(NumberFormat, GroupsDigitsWithMultiByteSeparators) {
    EXPECT_EQ(zv::groupDigitsOf("12884901888", ","), "12,884,901,888");
    EXPECT_EQ(zv::groupDigitsOf("-1234567", "."), "-1.234.567");
    EXPECT_EQ(zv::groupDigitsOf("999", ","), "999");
    EXPECT_EQ(zv::formatGrouped(uint64_t(1234567), zv::LocaleSeparators{",", "\u202f"}), "1\u202f234\u202f567");
}

}  // namespace
