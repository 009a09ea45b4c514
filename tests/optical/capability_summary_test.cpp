// The capability summary built from mode page 0x2A as real drives send it.
#include "optical/capability_summary.h"
#include "optical/disc_structure.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zv::optical {
namespace {

std::vector<uint8_t> hexBytes(const std::string& text) {
    std::istringstream in(text);
    std::vector<uint8_t> bytes;
    for (std::string item; in >> item;) bytes.push_back(uint8_t(std::stoul(item, nullptr, 16)));
    return bytes;
}

// A MODE SENSE (10) response: 8-byte header (block descriptor length in bytes 6-7), the
// descriptors, the page.
std::vector<uint8_t> response(const std::string& page, uint16_t descriptors = 0) {
    std::vector<uint8_t> bytes(8 + descriptors, 0);
    bytes[6] = uint8_t(descriptors >> 8);
    bytes[7] = uint8_t(descriptors);
    const auto pageBytes = hexBytes(page);
    bytes.insert(bytes.end(), pageBytes.begin(), pageBytes.end());
    bytes.resize(440, 0);
    return bytes;
}

std::string summaryOf(const std::vector<uint8_t>& modeSense) {
    return buildCapabilitySummary(capabilityPageBytes(modeSense.data(), modeSense.size()));
}

struct DriveCase {
    const char* name;
    const char* page;  // page bytes from the page code
    const char* summary;
};

// Pages of drive kinds: a 40x CD-ROM reader (MMC-2 page, 0x18 bytes), a 48x CD writer, a DVD
// writer that reads everything, a DVD-ROM drive that cannot read CD-R.
const DriveCase kDrives[] = {
    {"CdRomReader", "2A 18 03 00 71 67 29 23 1B 90 01 00 00 80 1B 90 00 00 00 00 00 00 00 00 00 00",
     "Read CD-R\r\nRead CD-RW\r\nDevice Buffer: 128k\r\nMax Read Speed: 40x\r\nMax Write Speed: 0x"},
    {"CdWriter", "2A 1C 07 07 71 67 29 23 21 13 01 00 08 00 21 13 00 00 1B 90 1B 90 00 00 00 00 00 00 00 00",
     "Read CD-R\r\nRead CD-RW\r\nRead Method 2\r\nWrite CD-R\r\nWrite CD-RW\r\nWrite Test\r\nDevice Buffer: 2048k\r\n"
     "Max Read Speed: 48x\r\nMax Write Speed: 40x"},
    {"DvdWriter", "2A 1C 3F 37 F1 77 29 23 21 13 01 00 08 00 21 13 00 00 1B 90 1B 90 00 00 00 00 00 00 00 00",
     "Read CD-R\r\nRead CD-RW\r\nRead Method 2\r\nRead DVD-ROM\r\nRead DVD-R / DVD-RW\r\nRead DVD-RAM\r\nWrite CD-R\r\n"
     "Write CD-RW\r\nWrite Test\r\nWrite DVD-R / DVD-RW\r\nWrite DVD-RAM\r\nDevice Buffer: 2048k\r\n"
     "Max Read Speed: 48x\r\nMax Write Speed: 40x"},
    {"DvdRomWithoutCdRRead", "2A 18 0A 00 71 67 29 23 05 83 01 00 02 00 05 83 00 00 00 00 00 00 00 00 00 00",
     "\r\nRead CD-RW\r\nRead DVD-ROM\r\nDevice Buffer: 512k\r\nMax Read Speed: 8x\r\nMax Write Speed: 0x"},
};

class RecordedDrives : public ::testing::TestWithParam<DriveCase> {};

TEST_P(RecordedDrives, SummaryFromThePage) { EXPECT_EQ(summaryOf(response(GetParam().page)), GetParam().summary); }

INSTANTIATE_TEST_SUITE_P(Summary, RecordedDrives, ::testing::ValuesIn(kDrives),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Summary, PageFollowsTheBlockDescriptors) {
    // Eight bytes of block descriptor that look like capability bits must not be read.
    auto bytes = response("2A 18 03 00 71 67 29 23 1B 90 01 00 00 80", 8);
    for (int i = 8; i < 16; ++i) bytes[size_t(i)] = 0xFF;
    EXPECT_EQ(modePageOffset(bytes.data(), bytes.size()), 16u);
    EXPECT_EQ(summaryOf(bytes), "Read CD-R\r\nRead CD-RW\r\nDevice Buffer: 128k\r\nMax Read Speed: 40x\r\nMax Write Speed: 0x");
}

TEST(Summary, DescriptorLengthBeyondTheResponseReadsAsZero) {
    auto bytes = response("2A 18 3F 37", 0);
    bytes[6] = 0xFF;
    bytes[7] = 0xF0;
    EXPECT_EQ(summaryOf(bytes), "\r\nDevice Buffer: 0k\r\nMax Read Speed: 0x\r\nMax Write Speed: 0x");
}

TEST(Summary, JoiningRuleAndUnnamedBits) {
    // Nothing set: only the fixed lines, each after CR LF.
    EXPECT_EQ(buildCapabilitySummary(std::vector<uint8_t>(20, 0)),
              "\r\nDevice Buffer: 0k\r\nMax Read Speed: 0x\r\nMax Write Speed: 0x");
    // Bit 3 of the write byte and bits 6-7 of both bytes have no phrase.
    std::vector<uint8_t> page(20, 0);
    page[2] = 0xC0;
    page[3] = 0xC8;
    EXPECT_EQ(buildCapabilitySummary(page), "\r\nDevice Buffer: 0k\r\nMax Read Speed: 0x\r\nMax Write Speed: 0x");
    // CD-RW read without CD-R read begins with CR LF.
    page[2] = 0x02;
    EXPECT_EQ(buildCapabilitySummary(page).rfind("\r\nRead CD-RW\r\n", 0), 0u);
}

TEST(Summary, SpeedsUseTheCdDivisor) {
    EXPECT_EQ(speedMultiple(7056), 40);
    EXPECT_EQ(speedMultiple(1411), 8);
    EXPECT_EQ(speedMultiple(0), 0);
    EXPECT_EQ(speedMultiple(176), 1);
    EXPECT_EQ(speedMultiple(8467), 48);   // 47.98
    EXPECT_EQ(speedMultiple(2822), 16);   // 15.99
    EXPECT_EQ(speedMultiple(7145), 40);   // 40.49; a divisor of 176.4 would give 41
    EXPECT_EQ(speedMultiple(44115), 250); // 249.999
    EXPECT_EQ(speedMultiple(65535), 371);
}

TEST(Summary, BufferIsUnsigned) {
    std::vector<uint8_t> page(20, 0);
    page[12] = 0xFF;
    page[13] = 0xFE;
    EXPECT_NE(buildCapabilitySummary(page).find("Device Buffer: 65534k"), std::string::npos);
}

TEST(Summary, LinesAsTheListShowsThem) {
    EXPECT_TRUE(summaryLines("").empty());
    EXPECT_EQ(summaryLines("\r\nA\r\nB"), (std::vector<std::string>{"", "A", "B"}));
    EXPECT_EQ(summaryLines("Read CD-R\r\nX"), (std::vector<std::string>{"Read CD-R", "X"}));
}

TEST(DiscStructure, DecodesThePhysicalFormat) {
    uint8_t r[21] = {0x08, 0x02, 0, 0, 0x01, 0x02, 0x21, 0x00};
    DvdPhysicalFormat f = decodeDvdPhysicalFormat(r);
    EXPECT_EQ(f.bookType, "DVD-ROM");
    EXPECT_EQ(f.discSize, "120mm");
    EXPECT_EQ(f.maximumRate, "10.08 Mbps");
    EXPECT_EQ(f.layers, "1");
    EXPECT_EQ(f.layerType, "Layer contains embossed data");
    EXPECT_EQ(f.linearDensity, "0.267 um/bit");
    EXPECT_EQ(f.trackDensity, "0.74 um/track");

    uint8_t other[21] = {0, 0, 0, 0, 0xA5, 0x1F, 0x14, 0x82};
    f = decodeDvdPhysicalFormat(other);
    EXPECT_EQ(f.bookType, "DVD+R");
    EXPECT_EQ(f.discSize, "80mm");
    EXPECT_EQ(f.maximumRate, "Not Specified");
    EXPECT_EQ(f.layers, "0");  // the track path bit (bit 4) is not a layer
    EXPECT_EQ(f.layerType, "Layer contains rewritable area");
    EXPECT_EQ(f.linearDensity, "0.353 um/bit");
    EXPECT_EQ(f.trackDensity, "0.615 um/track");

    uint8_t odd[21] = {0, 0, 0, 0, 0x40, 0x25, 0x03, 0x33};
    f = decodeDvdPhysicalFormat(odd);
    EXPECT_EQ(f.bookType, "Unknown");
    EXPECT_EQ(f.discSize, "Unknown");
    EXPECT_EQ(f.maximumRate, "Unknown");
    EXPECT_EQ(f.layerType, "Unknown");
    EXPECT_EQ(f.linearDensity, "Reserved");
    EXPECT_EQ(f.trackDensity, "Reserved");
}

}  // namespace
}  // namespace zv::optical
