// The profile table and the current-profile query.
#include "optical/media_profiles.h"
#include "optical_machine.h"

#include <gtest/gtest.h>

#include <set>

namespace zv::optical {
namespace {

using namespace zv::optical::testing;

TEST(MediaProfiles, TheTwentyClassicTexts) {
    const std::pair<uint16_t, const char*> expected[] = {
        {0x0000, "No Current Profile"}, {0x0001, "Non Removable Disk"}, {0x0002, "Removable Disk"},
        {0x0003, "Magneto Optical Erasable"}, {0x0004, "Optical Write Once"}, {0x0005, "AS-MO"},
        {0x0008, "CD-ROM"}, {0x0009, "CD-R"}, {0x000A, "CD-RW"}, {0x0010, "DVD-ROM"},
        {0x0011, "DVD-R SequentialRecording,"}, {0x0012, "DVD-RAM"}, {0x0013, "DVD-RW Restricted Overwrite"},
        {0x0014, "DVD-RW Sequential Recording"}, {0x001A, "DVD+RW"}, {0x001B, "DVD+R"}, {0x0020, "DDCD-ROM"},
        {0x0021, "DDCD-R"}, {0x0022, "DDCD-RW"}, {0xFFFF, "UNKNOWN"},
    };
    for (const auto& [number, text] : expected) {
        const auto row = findMediaProfile(number);
        ASSERT_TRUE(row) << number;
        EXPECT_STREQ(row->text, text) << number;
    }
}

TEST(MediaProfiles, LaterDiscKindsAreKnown) {
    EXPECT_STREQ(findMediaProfile(0x0040)->text, "BD-ROM");
    EXPECT_STREQ(findMediaProfile(0x0041)->text, "BD-R Sequential Recording");
    EXPECT_STREQ(findMediaProfile(0x0043)->text, "BD-RE");
    EXPECT_STREQ(findMediaProfile(0x002B)->text, "DVD+R Dual Layer");
    EXPECT_STREQ(findMediaProfile(0x002A)->text, "DVD+RW Dual Layer");
    EXPECT_STREQ(findMediaProfile(0x0015)->text, "DVD-R Dual Layer Sequential Recording");
    EXPECT_STREQ(findMediaProfile(0x0051)->text, "HD DVD-R");
}

TEST(MediaProfiles, NumbersOutsideTheTableHaveNoRow) {
    for (uint16_t number : {0x0006, 0x0007, 0x000B, 0x0019, 0x0030, 0x0044, 0x0100, 0x8000, 0xFFFE})
        EXPECT_FALSE(isKnownProfile(number)) << number;
    std::set<uint16_t> numbers;
    for (const auto& row : MediaProfileNames()) EXPECT_TRUE(numbers.insert(row.number).second) << "twice: " << row.number;
}

TEST(MediaProfiles, DescriptionsForMessages) {
    EXPECT_EQ(describeProfile(uint16_t(0x0010)), "DVD-ROM");
    EXPECT_EQ(describeProfile(uint16_t(0x0099)), "unknown profile 0x0099");
    EXPECT_EQ(describeProfile(std::nullopt), "unknown (the drive did not report a profile)");
}

TEST(MediaProfiles, QueryReadsTheCurrentProfileWithTheFixedRequest) {
    auto m = machine(opticalDrive(R"({"profile": "0x001B"})"));
    const HANDLE device = m->io().CreateFileA("\\\\.\\D:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    m->clearCalls();
    const auto row = QueryMediaProfile(*m, device);
    ASSERT_TRUE(row);
    EXPECT_STREQ(row->text, "DVD+R");
    const auto blocks = passThroughBlocks(*m);
    ASSERT_EQ(blocks.size(), 1u);
    const std::vector<uint8_t> expected = {44, 0, 0, 0, 0, 0, 10, 32, 1, 0, 0, 0, 114, 0, 0, 0, 120, 0, 0, 0,
                                           0, 0, 0, 0, 48, 0, 0, 0, 0x46, 0x02, 0, 0, 0, 0, 0, 0x00, 0x72, 0};
    EXPECT_EQ(std::vector<uint8_t>(blocks[0].begin(), blocks[0].begin() + long(expected.size())), expected);
    m->io().CloseHandle(device);
    EXPECT_EQ(m->openHandleCount(), 0);
}

TEST(MediaProfiles, EmptyDriveAndFailedRequest) {
    auto m = machine(opticalDrive(R"({"profile": "0x0010"})", R"("medium_present": false)") + "," +
                     opticalDrive(R"({"profile": "0x0040"})", "", 'E'),
                     R"("faults": [{"operation": "ScsiPassThroughDirect", "target": "E:", "opcode": "0x46", "error": 31}])");
    for (char letter : {'D', 'E'}) {
        const HANDLE device = m->io().CreateFileA((std::string("\\\\.\\") + letter + ":").c_str(), GENERIC_READ | GENERIC_WRITE,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
        const auto profile = ReadCurrentProfile(*m, device);
        if (letter == 'D') EXPECT_EQ(profile, std::optional<uint16_t>(0x0000));
        else EXPECT_FALSE(profile);
        m->io().CloseHandle(device);
    }
    EXPECT_FALSE(ReadCurrentProfile(*m, INVALID_HANDLE_VALUE));
}

}  // namespace
}  // namespace zv::optical
