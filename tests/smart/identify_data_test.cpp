#include "smart/identify_data.h"

#include "smart_pages.h"

#include <gtest/gtest.h>

#include <array>

using namespace zv::smart;

TEST(IdentifyData, SwapsEveryBytePairAndTrimsBlanks) {
    std::array<uint8_t, 512> page{};
    test::putAtaString(&page[20], 20, "  WD-WCAV12345678");
    test::putAtaString(&page[46], 8, "01.01A01");
    test::putAtaString(&page[54], 40, "WDC WD5000AAKS-00V1A0");
    page[94] = 0x10;
    page[95] = 0x80;
    page[120] = 0x30;  // 0x3A386030 sectors
    page[121] = 0x60;
    page[122] = 0x38;
    page[123] = 0x3A;

    const IdentifyFields f = DecodeIdentify(page.data());
    EXPECT_EQ(f.serial, "WD-WCAV12345678");
    EXPECT_EQ(f.firmware, "01.01A01");
    EXPECT_EQ(f.model, "WDC WD5000AAKS-00V1A0");
    EXPECT_EQ(f.word47, 0x8010);
    EXPECT_EQ(f.sizeBytes, int64_t(0x3A386030) * 512);
}

TEST(IdentifyData, BlankOrZeroSerialIsEmpty) {
    std::array<uint8_t, 512> page{};
    test::putAtaString(&page[20], 20, "");
    EXPECT_EQ(DecodeIdentify(page.data()).serial, "");
    page.fill(0);
    EXPECT_EQ(DecodeIdentify(page.data()).serial, "");
}

TEST(IdentifyData, ControlCharactersAtTheEndsGoInnerBlanksStay) {
    const uint8_t field[8] = {'B', 0x01, 'D', 'A', ' ', 'C', 0x00, 0x09};
    // swapped: 01 'B' 'A' 'D' 'C' ' ' 09 00
    EXPECT_EQ(IdentifyText(field, 8), "BADC");
    const uint8_t inner[6] = {'B', 'A', 'C', ' ', 'E', 'D'};
    EXPECT_EQ(IdentifyText(inner, 6), "AB CDE");
}

TEST(IdentifyData, SizeOfTheLargestTwentyEightBitCountDoesNotOverflow) {
    std::array<uint8_t, 512> page{};
    page[120] = page[121] = page[122] = page[123] = 0xFF;
    EXPECT_EQ(DecodeIdentify(page.data()).sizeBytes, int64_t(0xFFFFFFFFull * 512));
}
