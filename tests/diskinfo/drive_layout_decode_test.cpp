#include "diskinfo/drive_layout.h"

#include <gtest/gtest.h>

#include <vector>

using namespace zv::diskinfo;
using zv::platform::PartitionInformation;
using zv::platform::PartitionInformationEx;

namespace {

std::vector<uint8_t> oldLayout(const std::vector<PartitionInformation>& entries, uint32_t signature = 0x12345678) {
    std::vector<uint8_t> reply(8 + 32 * entries.size(), 0xCC);
    zv::codec::putLe32(&reply[0], uint32_t(entries.size()));
    zv::codec::putLe32(&reply[4], signature);
    for (size_t i = 0; i < entries.size(); ++i) entries[i].encode(&reply[8 + 32 * i]);
    return reply;
}

PartitionInformation part(uint32_t number, uint8_t type, int64_t start, int64_t length, bool boot = false) {
    PartitionInformation p;
    p.partitionNumber = number;
    p.partitionType = type;
    p.startingOffset = start;
    p.partitionLength = length;
    p.hiddenSectors = uint32_t(start / 512);
    p.bootIndicator = boot;
    return p;
}

}  // namespace

TEST(DriveLayoutDecode, OneTableOfFourCountsTheEntriesInUse) {
    const auto reply = oldLayout({part(1, 0x07, 1048576, 50 << 20, true), part(2, 0x0B, 53477376, 1 << 20), {}, {}});
    DriveLayout layout;
    ASSERT_TRUE(DecodeDriveLayout(reply.data(), reply.size(), layout));
    EXPECT_EQ(layout.signature, 0x12345678u);
    ASSERT_EQ(layout.entries.size(), 2u);
    EXPECT_EQ(layout.entries[0].PartitionNumber, 1u);
    EXPECT_TRUE(layout.entries[0].BootIndicator);
    EXPECT_EQ(layout.entries[0].typeName(), "IFS");
    EXPECT_EQ(layout.entries[0].HiddenSectors, 2048u);
    EXPECT_EQ(layout.partition(2)->typeName(), "FAT32");
    EXPECT_EQ(layout.partition(3), nullptr);
}

TEST(DriveLayoutDecode, TwelveEntriesWithExtendedAndLogicals) {
    // Primary table, then two extended boot records of four entries each.
    const auto reply = oldLayout({part(1, 0x07, 1 << 20, 100 << 20, true), part(0, 0x05, 101 << 20, 200 << 20), {}, {},
                                  part(2, 0x06, 102 << 20, 50 << 20), part(0, 0x05, 152 << 20, 60 << 20), {}, {},
                                  part(3, 0x0B, 153 << 20, 59 << 20), {}, {}, {}});
    DriveLayout layout;
    ASSERT_TRUE(DecodeDriveLayout(reply.data(), reply.size(), layout));
    EXPECT_EQ(layout.entries.size(), 5u);
    ASSERT_NE(layout.partition(3), nullptr);
    EXPECT_EQ(layout.partition(3)->StartingOffset, 153 << 20);
    EXPECT_EQ(layout.partition(3)->typeName(), "FAT32");
}

TEST(DriveLayoutDecode, CountBeyondTheBytesReturnedIsCut) {
    auto reply = oldLayout({part(1, 0x07, 1 << 20, 1 << 20)});
    zv::codec::putLe32(&reply[0], 27);
    DriveLayout layout;
    ASSERT_TRUE(DecodeDriveLayout(reply.data(), reply.size(), layout));
    EXPECT_EQ(layout.entries.size(), 1u);
    EXPECT_FALSE(DecodeDriveLayout(reply.data(), 7, layout));
}

TEST(DriveLayoutDecode, ExtendedReplyOfAGptDisk) {
    std::vector<uint8_t> reply(48 + 3 * 144, 0);
    zv::codec::putLe32(&reply[0], zv::platform::PARTITION_STYLE_GPT);
    zv::codec::putLe32(&reply[4], 3);
    const char* types[] = {"C12A7328-F81F-11D2-BA4B-00A0C93EC93B", "0FC63DAF-8483-4772-8E79-3D69D8477DE4",
                           "00000000-0000-0000-0000-000000000000"};
    for (int i = 0; i < 3; ++i) {
        PartitionInformationEx e;
        e.partitionStyle = zv::platform::PARTITION_STYLE_GPT;
        e.partitionNumber = uint32_t(i + 1);
        e.startingOffset = int64_t(i + 1) << 20;
        e.partitionLength = 1 << 20;
        ASSERT_TRUE(zv::platform::parseGuid(types[i], &e.gptPartitionType));
        e.gptName = i == 1 ? u"root \u00e9" : u"";
        e.encode(&reply[48 + 144 * size_t(i)]);
    }
    DriveLayout layout;
    ASSERT_TRUE(DecodeDriveLayoutEx(reply.data(), reply.size(), layout));
    EXPECT_EQ(layout.partitionStyle, zv::platform::PARTITION_STYLE_GPT);
    ASSERT_EQ(layout.entries.size(), 2u) << "the unused entry is left out";
    EXPECT_EQ(layout.entries[0].typeName(), "EFI System");
    EXPECT_TRUE(layout.entries[0].BootIndicator);
    EXPECT_EQ(layout.entries[1].typeName(), "Linux filesystem");
    EXPECT_FALSE(layout.entries[1].BootIndicator);
    EXPECT_EQ(layout.entries[1].gptName, "root \xC3\xA9");
    EXPECT_EQ(layout.entries[1].StartingOffset, 2 << 20);
}

// GPT names are UTF-16: a character beyond U+FFFF is a surrogate pair and becomes one
// four-byte UTF-8 character (not two three-byte halves); a lone surrogate becomes U+FFFD.
TEST(DriveLayoutDecode, GptNamesBeyondTheBasicPlaneAreProperUtf8) {
    const std::vector<std::pair<std::u16string, std::string>> names = {
        {u"\U0001F4BE Daten", "\xF0\x9F\x92\xBE Daten"},
        {u"\U00010348\U0010FFFD", "\xF0\x90\x8D\x88\xF4\x8F\xBF\xBD"},
        {std::u16string{u'a', char16_t(0xD83D), u'b'}, "a\xEF\xBF\xBD" "b"},
        // 35 characters and a pair: the 36-unit field ends inside the pair.
        {u"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\U0001F4BE", std::string(35, 'x') + "\xEF\xBF\xBD"},
    };
    for (const auto& [name, utf8] : names) {
        std::vector<uint8_t> reply(48 + 144, 0);
        zv::codec::putLe32(&reply[0], zv::platform::PARTITION_STYLE_GPT);
        zv::codec::putLe32(&reply[4], 1);
        PartitionInformationEx e;
        e.partitionStyle = zv::platform::PARTITION_STYLE_GPT;
        e.partitionNumber = 1;
        e.startingOffset = 1 << 20;
        e.partitionLength = 1 << 20;
        ASSERT_TRUE(zv::platform::parseGuid("0FC63DAF-8483-4772-8E79-3D69D8477DE4", &e.gptPartitionType));
        e.gptName = name;
        e.encode(&reply[48]);
        DriveLayout layout;
        ASSERT_TRUE(DecodeDriveLayoutEx(reply.data(), reply.size(), layout));
        ASSERT_EQ(layout.entries.size(), 1u);
        EXPECT_EQ(layout.entries[0].gptName, utf8);
    }
}
