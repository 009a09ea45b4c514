#include "optical/capability_summary.h"

#include "platform/api/codec.h"

#include <array>
#include <cmath>

namespace zv::optical {

namespace {

struct CapabilityBit {
    size_t pageByte;
    int bit;
    const char* phrase;
};

// MMC-3 mode page 0x2A: byte 2 read capabilities, byte 3 write capabilities. Bit 3 of
// byte 3 and bits 6-7 of both have no phrase.
constexpr std::array<CapabilityBit, 11> kBits = {{
    {2, 0, "Read CD-R"},
    {2, 1, "Read CD-RW"},
    {2, 2, "Read Method 2"},
    {2, 3, "Read DVD-ROM"},
    {2, 4, "Read DVD-R / DVD-RW"},
    {2, 5, "Read DVD-RAM"},
    {3, 0, "Write CD-R"},
    {3, 1, "Write CD-RW"},
    {3, 2, "Write Test"},
    {3, 4, "Write DVD-R / DVD-RW"},
    {3, 5, "Write DVD-RAM"},
}};

constexpr size_t kPageBytesRead = 20;

void appendLine(std::string& text, const std::string& line) {
    text += kLineBreak;
    text += line;
}

}  // namespace

size_t modePageOffset(const uint8_t* response, size_t responseSize) {
    if (responseSize < 8) return responseSize;
    return 8 + size_t(codec::getBe16(response + 6));
}

std::vector<uint8_t> capabilityPageBytes(const uint8_t* response, size_t responseSize) {
    std::vector<uint8_t> page(kPageBytesRead, 0);
    const size_t offset = modePageOffset(response, responseSize);
    for (size_t i = 0; i < kPageBytesRead && offset + i < responseSize; ++i) page[i] = response[offset + i];
    return page;
}

long speedMultiple(unsigned kilobytesPerSecond) { return std::lround(double(kilobytesPerSecond) / 176.46); }

std::string buildCapabilitySummary(const std::vector<uint8_t>& page) {
    std::vector<uint8_t> bytes = page;
    bytes.resize(kPageBytesRead, 0);
    std::string text;
    for (const auto& bit : kBits) {
        if (!(bytes[bit.pageByte] & (1u << bit.bit))) continue;
        if (bit.pageByte == 2 && bit.bit == 0) text += bit.phrase;
        else appendLine(text, bit.phrase);
    }
    appendLine(text, "Device Buffer: " + std::to_string(codec::getBe16(&bytes[12])) + "k");
    appendLine(text, "Max Read Speed: " + std::to_string(speedMultiple(codec::getBe16(&bytes[8]))) + "x");
    appendLine(text, "Max Write Speed: " + std::to_string(speedMultiple(codec::getBe16(&bytes[18]))) + "x");
    return text;
}

std::vector<std::string> summaryLines(const std::string& summary) {
    std::vector<std::string> lines;
    if (summary.empty()) return lines;
    size_t start = 0;
    for (;;) {
        const size_t end = summary.find(kLineBreak, start);
        if (end == std::string::npos) {
            lines.push_back(summary.substr(start));
            return lines;
        }
        lines.push_back(summary.substr(start, end - start));
        start = end + 2;
    }
}

}  // namespace zv::optical
