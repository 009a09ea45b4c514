// Byte images of what the simulated disks answer: IDENTIFY pages, S.M.A.R.T. pages and the
// two layout replies.
#include "platform/api/codec.h"
#include "platform/sim/sim_disk_model.h"

namespace zv::sim {

using platform::DriveLayoutExLayout;
using platform::DriveLayoutLayout;
using platform::PartitionInformation;
using platform::PartitionInformationEx;

namespace {

// ATA strings: space padded, two characters per word with the first in the high byte.
void putAtaString(std::vector<uint8_t>& page, size_t offset, size_t length, const std::string& text) {
    for (size_t i = 0; i < length; i += 2) {
        const char first = i < text.size() ? text[i] : ' ';
        const char second = i + 1 < text.size() ? text[i + 1] : ' ';
        page[offset + i] = uint8_t(second);
        page[offset + i + 1] = uint8_t(first);
    }
}

// Byte 511 makes the 512 bytes sum to 0 modulo 256 (ATA page checksum).
void putChecksum(std::vector<uint8_t>& page) {
    uint8_t sum = 0;
    for (size_t i = 0; i < 511; ++i) sum = uint8_t(sum + page[i]);
    page[511] = uint8_t(0x100 - sum);
}

bool recognized(uint8_t type) {
    switch (type) {
    case 0x01: case 0x04: case 0x06: case 0x07: case 0x0B: case 0x0C: case 0x0E: case 0x42: return true;
    default: return false;
    }
}

}  // namespace

std::vector<uint8_t> encodeIdentifyPage(const std::string& model, const std::string& serial,
                                        const std::string& firmware, uint32_t sectors, uint16_t word47,
                                        bool atapi, bool smartSupported) {
    std::vector<uint8_t> page(512, 0);
    codec::putLe16(&page[0], atapi ? 0x85C0 : 0x0040);
    putAtaString(page, 20, 20, serial);
    putAtaString(page, 46, 8, firmware);
    putAtaString(page, 54, 40, model);
    codec::putLe16(&page[94], word47);
    codec::putLe16(&page[98], 0x0200);  // LBA supported
    codec::putLe32(&page[120], sectors);
    codec::putLe16(&page[164], smartSupported ? 0x0001 : 0);  // word 82: S.M.A.R.T. feature set
    codec::putLe16(&page[170], smartSupported ? 0x0001 : 0);  // word 85: enabled
    codec::putLe64(&page[200], sectors);                     // words 100-103
    page[510] = 0xA5;
    putChecksum(page);
    return page;
}

std::vector<uint8_t> encodeAttributePage(const std::vector<std::vector<uint8_t>>& entries) {
    std::vector<uint8_t> page(512, 0);
    codec::putLe16(&page[0], 0x0010);
    for (size_t k = 0; k < entries.size() && k < 30; ++k)
        for (size_t i = 0; i < 12 && i < entries[k].size(); ++i) page[2 + 12 * k + i] = entries[k][i];
    putChecksum(page);
    return page;
}

std::vector<uint8_t> encodeDriveLayout(const SimLayout& layout) {
    if (layout.recorded) return *layout.recorded;
    std::vector<uint8_t> reply(DriveLayoutLayout::HeaderSize + layout.entries.size() * PartitionInformation::Size, 0);
    codec::putLe32(&reply[DriveLayoutLayout::PartitionCount], uint32_t(layout.entries.size()));
    codec::putLe32(&reply[DriveLayoutLayout::Signature], layout.signature);
    for (size_t i = 0; i < layout.entries.size(); ++i) {
        const SimPartition& p = layout.entries[i];
        PartitionInformation e;
        e.startingOffset = int64_t(p.start);
        e.partitionLength = int64_t(p.length);
        e.hiddenSectors = p.hiddenSectors;
        e.partitionNumber = p.number;
        e.partitionType = p.type;
        e.bootIndicator = p.boot ? 1 : 0;
        e.recognizedPartition = recognized(p.type) ? 1 : 0;
        e.encode(&reply[DriveLayoutLayout::Entries + i * PartitionInformation::Size]);
    }
    return reply;
}

std::vector<uint8_t> encodeDriveLayoutEx(const SimLayout& layout) {
    std::vector<SimPartition> entries = layout.entries;
    uint32_t signature = layout.signature;
    if (layout.recorded) {
        // A recorded old reply answers the extended request with the same entries.
        const auto& r = *layout.recorded;
        entries.clear();
        if (r.size() >= DriveLayoutLayout::HeaderSize) {
            signature = codec::getLe32(&r[DriveLayoutLayout::Signature]);
            const uint32_t count = codec::getLe32(&r[DriveLayoutLayout::PartitionCount]);
            for (size_t i = 0; i < count && DriveLayoutLayout::Entries + (i + 1) * PartitionInformation::Size <= r.size(); ++i) {
                const auto e = PartitionInformation::decode(&r[DriveLayoutLayout::Entries + i * PartitionInformation::Size]);
                SimPartition p;
                p.number = e.partitionNumber;
                p.type = e.partitionType;
                p.boot = e.bootIndicator != 0;
                p.start = uint64_t(e.startingOffset);
                p.length = uint64_t(e.partitionLength);
                p.hiddenSectors = e.hiddenSectors;
                entries.push_back(p);
            }
        }
    }
    std::vector<uint8_t> reply(DriveLayoutExLayout::HeaderSize + entries.size() * PartitionInformationEx::Size, 0);
    const bool gpt = layout.style == platform::PARTITION_STYLE_GPT;
    codec::putLe32(&reply[DriveLayoutExLayout::PartitionStyle], layout.style);
    codec::putLe32(&reply[DriveLayoutExLayout::PartitionCount], uint32_t(entries.size()));
    if (gpt) {
        for (size_t i = 0; i < 16; ++i) reply[DriveLayoutExLayout::GptDiskId + i] = layout.diskId[i];
        codec::putLe64(&reply[DriveLayoutExLayout::GptStartingUsableOffset], 34 * 512);
        codec::putLe32(&reply[DriveLayoutExLayout::GptMaxPartitionCount], 128);
    } else {
        codec::putLe32(&reply[DriveLayoutExLayout::MbrSignature], signature);
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const SimPartition& p = entries[i];
        PartitionInformationEx e;
        e.partitionStyle = layout.style;
        e.startingOffset = int64_t(p.start);
        e.partitionLength = int64_t(p.length);
        e.partitionNumber = p.number;
        if (gpt) {
            e.gptPartitionType = p.gptType;
            e.gptPartitionId = p.gptId;
            e.gptAttributes = p.gptAttributes;
            e.gptName = p.gptName;
        } else {
            e.mbrPartitionType = p.type;
            e.mbrBootIndicator = p.boot ? 1 : 0;
            e.mbrRecognizedPartition = recognized(p.type) ? 1 : 0;
            e.mbrHiddenSectors = p.hiddenSectors;
        }
        e.encode(&reply[DriveLayoutExLayout::Entries + i * PartitionInformationEx::Size]);
    }
    return reply;
}

}  // namespace zv::sim
