#include "diskinfo/volume_details.h"

#include <gtest/gtest.h>

using namespace zv::diskinfo;
using zv::win::DWORD;

TEST(CapabilityMapping, EachFlagSetsItsMember) {
    struct Case {
        DWORD flag;
        TVolumeCapability member;
    };
    const Case cases[] = {
        {0x2, TVolumeCapability::CaseIsPreserved},       {0x1, TVolumeCapability::CaseSensitive},
        {0x4, TVolumeCapability::UnicodeOnDisk},         {0x8, TVolumeCapability::PersistentAcls},
        {0x10, TVolumeCapability::FileCompression},      {0x8000, TVolumeCapability::VolumeIsCompressed},
        {0x20000, TVolumeCapability::EncryptedFileSystem}, {0x10000, TVolumeCapability::ObjectIds},
        {0x80, TVolumeCapability::ReparsePoints},        {0x40, TVolumeCapability::SparseFiles},
        {0x20, TVolumeCapability::DiskQuotas},
    };
    for (const auto& c : cases) {
        const TVolumeCapabilities set = CapabilitiesFromFlags(c.flag, 0);
        for (int i = 0; i < kCapabilityCount; ++i)
            EXPECT_EQ(set.contains(TVolumeCapability(i)), TVolumeCapability(i) == c.member) << std::hex << c.flag << " member " << i;
    }
}

TEST(CapabilityMapping, LongFilenamesOnlyForExactly255) {
    EXPECT_FALSE(CapabilitiesFromFlags(0, 254).contains(TVolumeCapability::LongFilenames));
    EXPECT_TRUE(CapabilitiesFromFlags(0, 255).contains(TVolumeCapability::LongFilenames));
    EXPECT_FALSE(CapabilitiesFromFlags(0, 256).contains(TVolumeCapability::LongFilenames));
    EXPECT_TRUE(CapabilitiesFromFlags(0xFFFFFFFF, 12).contains(TVolumeCapability::DiskQuotas));
    EXPECT_FALSE(CapabilitiesFromFlags(0xFFFFFFFF, 12).contains(TVolumeCapability::LongFilenames));
}

TEST(CapabilityLines, TwelveLinesInMemberOrder) {
    TVolumeCapabilities set = CapabilitiesFromFlags(0x3, 255);
    std::vector<std::string> lines = {"old"};
    CapabilityLines(set, lines, false);
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[0], "old");
    CapabilityLines(set, lines, true);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], "Case Is Preserved: Yes");
    EXPECT_EQ(lines[1], "Case Sensitive: Yes");
    EXPECT_EQ(lines[2], "Unicode Stored On Disk: No");
    EXPECT_EQ(lines[6], "Long Filenames: Yes");
    EXPECT_EQ(lines[7], "Encrypted File System Support: No");
    EXPECT_EQ(lines[11], "Disk Quotas Support: No");
}

TEST(VolumeTexts, SerialDriveTypeAndYesNo) {
    EXPECT_EQ(SerialTextOf(0x1A2B3C4D), "1A2B-3C4D");
    EXPECT_EQ(SerialTextOf(0xABCD), "0000-ABCD");
    EXPECT_EQ(SerialTextOf(0), "0000-0000");
    const char* names[] = {"Unknown", "Not Exists", "Removable", "Fixed", "Remote", "CDROM", "RAMDisk"};
    for (uint32_t t = 0; t <= 6; ++t) EXPECT_EQ(DriveTypeName(t), names[t]);
    EXPECT_EQ(DriveTypeName(7), "Unknown");
    EXPECT_EQ(YesNoText(true), "Yes");
    EXPECT_EQ(YesNoText(false), "No");
}
