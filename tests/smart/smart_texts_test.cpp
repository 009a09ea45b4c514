#include "smart/group_digits.h"
#include "smart/smart_texts.h"

#include <gtest/gtest.h>

using namespace zv::smart;

TEST(DriverStatus, EveryCodeHasItsText) {
    const char* expected[] = {
        "No error",
        "Error from IDE controller",
        "Invalid command flag",
        "Invalid command byte",
        "Bad buffer (null, invalid addr..)",
        "Drive number not valid",
        "Invalid IOCTL",
        "Could not lock user\"s buffer",
        "Some IDE Register not valid",
        "Invalid cmd flag set",
        "Cmd issued to device not present although drive number is valid",
    };
    for (uint32_t code = 0; code <= 10; ++code) EXPECT_EQ(DriverStatusText(code), expected[code]) << code;
}

TEST(DriverStatus, CodesBeyondTheTableShowTheirNumber) {
    EXPECT_EQ(DriverStatusText(11), "Unknown driver status 11");
    EXPECT_EQ(DriverStatusText(255), "Unknown driver status 255");
}

TEST(AttributeNames, TableEdgesAndGaps) {
    EXPECT_EQ(AttributeName(1), "Raw Read Error Rate");
    EXPECT_EQ(AttributeName(12), "Power Cycle Count");
    EXPECT_EQ(AttributeName(13), "Unknown");
    EXPECT_EQ(AttributeName(191), "Unknown");
    EXPECT_EQ(AttributeName(192), "Emergency Retract Cycle");
    EXPECT_EQ(AttributeName(197), "Current Pending Sector");
    EXPECT_EQ(AttributeName(206), "Unknown Attribute");
    EXPECT_EQ(AttributeName(209), "Offline Seek Perf");
    EXPECT_EQ(AttributeName(210), "Unknown");
    EXPECT_EQ(AttributeName(0), "Unknown");
}

TEST(GroupDigits, GroupsFromTheRight) {
    EXPECT_EQ(GroupDigits("999", ","), "999");
    EXPECT_EQ(GroupDigits("1000", ","), "1,000");
    EXPECT_EQ(GroupDigits("1234567", ","), "1,234,567");
    EXPECT_EQ(GroupDigits("40027029504", ","), "40,027,029,504");
    EXPECT_EQ(GroupDigits("40027029504", "."), "40.027.029.504");
    EXPECT_EQ(GroupDigits("281474976710655", "\u202F"), "281\u202F474\u202F976\u202F710\u202F655");
    EXPECT_EQ(GroupDigits("1234", ""), "1234");
    EXPECT_EQ(GroupDigits("", ","), "");
}

TEST(GroupDigits, MinusSignStaysInFrontOfTheFirstGroup) {
    EXPECT_EQ(GroupDigits("-123", ","), "-123");
    EXPECT_EQ(GroupDigits("-123456", ","), "-123,456");
    EXPECT_EQ(GroupDigits("-2147483648", ","), "-2,147,483,648");
}
