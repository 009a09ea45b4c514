#include "diskinfo/partition_types.h"

#include <gtest/gtest.h>

using namespace zv::diskinfo;

TEST(PartitionTypeNames, PublishedCodes) {
    EXPECT_EQ(PartitionTypeName(0x00), "Unused entry");
    EXPECT_EQ(PartitionTypeName(0x01), "FAT12");
    EXPECT_EQ(PartitionTypeName(0x04), "FAT16 (up to 32 MB)");
    EXPECT_EQ(PartitionTypeName(0x05), "Extended");
    EXPECT_EQ(PartitionTypeName(0x06), "MS-DOS V4 huge");
    EXPECT_EQ(PartitionTypeName(0x07), "IFS");
    EXPECT_EQ(PartitionTypeName(0x0A), "OS/2 Boot Manager/OPUS/Coherent swap");
    EXPECT_EQ(PartitionTypeName(0x0B), "FAT32");
    EXPECT_EQ(PartitionTypeName(0x0C), "FAT32 using extended int13 services");
    EXPECT_EQ(PartitionTypeName(0x0E), "Win9x with extended int13 services");
    EXPECT_EQ(PartitionTypeName(0x0F), "Extended partition with extended int13 services");
    EXPECT_EQ(PartitionTypeName(0x41), "PowerPC");
    EXPECT_EQ(PartitionTypeName(0x42), "Logical Disk Manager partition");
    EXPECT_EQ(PartitionTypeName(0x63), "UNIX");
    EXPECT_EQ(PartitionTypeName(0xC0), "NTFT");
}

TEST(PartitionTypeNames, OtherCodesAreUnknown) {
    for (uint8_t t : {0x08, 0x0D, 0x83, 0xEE, 0xFF})
        EXPECT_EQ(PartitionTypeName(t), "Unknown partition type") << int(t);
}

TEST(PartitionTypeNames, GptTypesByIdentifier) {
    zv::platform::Guid g{};
    ASSERT_TRUE(zv::platform::parseGuid("C12A7328-F81F-11D2-BA4B-00A0C93EC93B", &g));
    EXPECT_EQ(GptPartitionTypeName(g), "EFI System");
    EXPECT_TRUE(IsEfiSystemPartition(g));
    // Stored form: the first three groups little-endian.
    EXPECT_EQ(g[0], 0x28);
    EXPECT_EQ(g[3], 0xC1);
    EXPECT_EQ(g[4], 0x1F);
    EXPECT_EQ(g[8], 0xBA);
    ASSERT_TRUE(zv::platform::parseGuid("{ebd0a0a2-b9e5-4433-87c0-68b6b72699c7}", &g));
    EXPECT_EQ(GptPartitionTypeName(g), "Microsoft basic data");
    EXPECT_EQ(zv::platform::guidText(g), "EBD0A0A2-B9E5-4433-87C0-68B6B72699C7");
    ASSERT_TRUE(zv::platform::parseGuid("0FC63DAF-8483-4772-8E79-3D69D8477DE4", &g));
    EXPECT_EQ(GptPartitionTypeName(g), "Linux filesystem");
    ASSERT_TRUE(zv::platform::parseGuid("00000000-0000-0000-0000-000000000001", &g));
    EXPECT_EQ(GptPartitionTypeName(g), "Unknown partition type");
    EXPECT_FALSE(zv::platform::parseGuid("C12A7328F81F11D2BA4B00A0C93EC93B", &g));
    EXPECT_FALSE(zv::platform::parseGuid("C12A7328-F81F-11D2-BA4B-00A0C93EC93G", &g));
}
