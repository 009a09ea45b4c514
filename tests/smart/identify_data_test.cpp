#include "smart/identify_data.h"

#include "smart_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The SATA disk of the hardware lab (QEMU, 200 GiB): words 60-61 hold the 28-bit limit,
// word 83 announces 48-bit addressing and words 100-103 the true count, as smartctl reads it
// (214,748,364,800 bytes).
std::array<uint8_t, 512> largeDiskPage(uint16_t word83) {
    std::array<uint8_t, 512> page{};
    page[120] = 0xFF;  // 0x0FFFFFFF
    page[121] = 0xFF;
    page[122] = 0xFF;
    page[123] = 0x0F;
    page[166] = uint8_t(word83);
    page[167] = uint8_t(word83 >> 8);
    const uint64_t sectors = 419430400;  // 0x19000000
    for (int i = 0; i < 8; ++i) page[200 + i] = uint8_t(sectors >> (8 * i));
    return page;
}

TEST(IdentifyData, SizeAbove128GiBComesFromTheFortyEightBitWords) {
    EXPECT_EQ(DecodeIdentify(largeDiskPage(0x7400).data()).sizeBytes, int64_t(214748364800));
}

TEST(IdentifyData, FortyEightBitWordsCountOnlyWhenAnnounced) {
    const int64_t limit = int64_t(0x0FFFFFFF) * 512;
    // Bit 10 clear, or word 83 not valid (bits 15-14 other than 01): the 28-bit count.
    EXPECT_EQ(DecodeIdentify(largeDiskPage(0x7000).data()).sizeBytes, limit);
    EXPECT_EQ(DecodeIdentify(largeDiskPage(0xFFFF).data()).sizeBytes, limit);
    EXPECT_EQ(DecodeIdentify(largeDiskPage(0x0400).data()).sizeBytes, limit);
    // Announced but empty: the 28-bit count stands.
    auto empty = largeDiskPage(0x7400);
    std::fill(empty.begin() + 200, empty.begin() + 208, uint8_t(0));
    EXPECT_EQ(DecodeIdentify(empty.data()).sizeBytes, limit);
}
