#include "platform/linux/disk_layout.h"

#include "common/utf.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/udev_db.h"

#include <blkid/blkid.h>

#include <algorithm>
#include <cstdlib>

namespace zv::lnx {

using platform::DriveLayoutExLayout;
using platform::DriveLayoutLayout;
using platform::PartitionInformation;
using platform::PartitionInformationEx;

namespace {

constexpr size_t kGptNameUnits = 36;

// A GPT entry holds at most 36 UTF-16 units; a longer name is cut there, never between
// the two halves of a surrogate pair.
std::u16string gptNameOf(const std::string& utf8) {
    std::u16string name = utf16FromUtf8(utf8);
    if (name.size() <= kGptNameUnits) return name;
    const bool splitsPair = name[kGptNameUnits - 1] >= 0xD800 && name[kGptNameUnits - 1] <= 0xDBFF;
    name.resize(splitsPair ? kGptNameUnits - 1 : kGptNameUnits);
    return name;
}

uint64_t parseNumber(const std::string& text, int base) {
    if (text.empty()) return 0;
    return std::strtoull(text.c_str(), nullptr, base);
}

// MAJ:MIN from the device directory's "dev" attribute.
bool deviceNumbers(const std::string& dir, unsigned* major, unsigned* minor) {
    const std::string numbers = readAttribute(dir + "/dev");
    const size_t colon = numbers.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    *major = unsigned(std::strtoul(numbers.c_str(), nullptr, 10));
    *minor = unsigned(std::strtoul(numbers.c_str() + colon + 1, nullptr, 10));
    return true;
}

bool recognized(uint8_t type) {
    switch (type) {
    case 0x01: case 0x04: case 0x06: case 0x07: case 0x0B: case 0x0C: case 0x0E: case 0x42: return true;
    default: return false;
    }
}

PartitionInformation oldEntry(const DiskPartition& p) {
    PartitionInformation e;
    e.startingOffset = int64_t(p.startSector * 512);
    e.partitionLength = int64_t(p.sectors * 512);
    e.hiddenSectors = uint32_t(p.startSector);
    e.partitionNumber = p.container ? 0 : p.number;
    e.partitionType = p.mbrType;
    e.bootIndicator = p.boot ? 1 : 0;
    e.recognizedPartition = recognized(p.mbrType) ? 1 : 0;
    return e;
}

}  // namespace

bool parseMbrTypeText(const std::string& text, uint8_t* type) {
    if (text.empty() || text.size() > 4) return false;
    const uint64_t v = parseNumber(text, 16);
    if (v == 0 || v > 255) return false;
    *type = uint8_t(v);
    return true;
}

bool probeDiskLayout(int fd, DiskLayout& layout) {
    layout = {};
    blkid_probe probe = blkid_new_probe();
    if (!probe) return false;
    bool ok = false;
    if (blkid_probe_set_device(probe, fd, 0, 0) == 0) {
        blkid_probe_enable_partitions(probe, 1);
        blkid_probe_set_partitions_flags(probe, BLKID_PARTS_ENTRY_DETAILS);
        blkid_partlist list = blkid_probe_get_partitions(probe);
        blkid_parttable table = list ? blkid_partlist_get_table(list) : nullptr;
        if (table) {
            ok = true;
            layout.found = true;
            const std::string type = blkid_parttable_get_type(table) ? blkid_parttable_get_type(table) : "";
            const std::string id = blkid_parttable_get_id(table) ? blkid_parttable_get_id(table) : "";
            layout.gpt = type == "gpt";
            if (layout.gpt) platform::parseGuid(id, &layout.diskId);
            else layout.signature = uint32_t(parseNumber(id, 16));
            const int count = blkid_partlist_numof_partitions(list);
            for (int i = 0; i < count; ++i) {
                blkid_partition part = blkid_partlist_get_partition(list, i);
                if (!part) continue;
                DiskPartition p;
                p.number = uint32_t(blkid_partition_get_partno(part));
                p.startSector = uint64_t(blkid_partition_get_start(part));
                p.sectors = uint64_t(blkid_partition_get_size(part));
                if (layout.gpt) {
                    if (const char* t = blkid_partition_get_type_string(part)) platform::parseGuid(t, &p.gptType);
                    if (const char* u = blkid_partition_get_uuid(part)) platform::parseGuid(u, &p.gptId);
                    if (const char* n = blkid_partition_get_name(part)) p.gptName = gptNameOf(n);
                    p.gptAttributes = blkid_partition_get_flags(part);
                } else {
                    p.mbrType = uint8_t(blkid_partition_get_type(part));
                    p.boot = (blkid_partition_get_flags(part) & 0x80) != 0;
                    p.container = blkid_partition_is_extended(part) != 0;
                    p.logical = blkid_partition_is_logical(part) != 0;
                }
                layout.partitions.push_back(p);
            }
        } else if (list) {
            ok = true;  // readable, no partition table
        }
    }
    blkid_free_probe(probe);
    std::sort(layout.partitions.begin(), layout.partitions.end(),
              [](const DiskPartition& a, const DiskPartition& b) { return a.number < b.number; });
    return ok;
}

DiskLayout sysfsDiskLayout(const std::string& sysRoot, const std::string& diskName) {
    DiskLayout layout;
    const std::string root = sysRoot == "/" ? std::string() : sysRoot;
    const std::string diskDir = root + "/sys/block/" + diskName;
    unsigned major = 0, minor = 0;
    if (deviceNumbers(diskDir, &major, &minor)) {
        const UdevRecord record = readUdevRecord(sysRoot, major, minor);
        const std::string scheme = record.value("ID_PART_TABLE_TYPE");
        layout.gpt = scheme == "gpt";
        layout.found = !scheme.empty();
        if (layout.gpt) platform::parseGuid(record.value("ID_PART_TABLE_UUID"), &layout.diskId);
        else layout.signature = uint32_t(parseNumber(record.value("ID_PART_TABLE_UUID"), 16));
    }
    for (const std::string& entry : listDirectory(diskDir)) {
        const std::string dir = diskDir + "/" + entry;
        const int64_t number = readNumber(dir + "/partition", -1);
        if (number <= 0) continue;
        layout.found = true;
        DiskPartition p;
        p.number = uint32_t(number);
        p.startSector = uint64_t(readNumber(dir + "/start", 0));
        p.sectors = uint64_t(readNumber(dir + "/size", 0));
        p.mbrType = kUnknownMbrType;
        const UdevRecord record =
            deviceNumbers(dir, &major, &minor) ? readUdevRecord(sysRoot, major, minor) : UdevRecord{};
        if (record.value("ID_PART_ENTRY_SCHEME") == "gpt") layout.gpt = true;
        const std::string type = record.value("ID_PART_ENTRY_TYPE");
        const uint64_t flags = parseNumber(record.value("ID_PART_ENTRY_FLAGS"), 16);
        if (layout.gpt) {
            platform::parseGuid(type, &p.gptType);
            platform::parseGuid(record.value("ID_PART_ENTRY_UUID"), &p.gptId);
            p.gptName = gptNameOf(record.decoded("ID_PART_ENTRY_NAME"));
            p.gptAttributes = flags;
        } else {
            parseMbrTypeText(type, &p.mbrType);
            p.boot = (flags & 0x80) != 0;
            p.container = p.mbrType == 0x05 || p.mbrType == 0x0F || p.mbrType == 0x85;
            p.logical = p.number > 4;
        }
        layout.partitions.push_back(p);
    }
    std::sort(layout.partitions.begin(), layout.partitions.end(),
              [](const DiskPartition& a, const DiskPartition& b) { return a.number < b.number; });
    return layout;
}

std::vector<uint8_t> encodeOldLayout(const DiskLayout& layout) {
    std::vector<PartitionInformation> entries;
    if (layout.found) {
        entries.resize(4);
        const auto primary = [](const DiskPartition& p) { return !p.logical && p.number >= 1 && p.number <= 4; };
        for (const auto& p : layout.partitions)
            if (primary(p)) entries[p.number - 1] = oldEntry(p);
        // Logical partitions, and partitions of a table nested in a primary one (libblkid
        // numbers those from 5 too, without calling them logical), each in a group of four.
        for (const auto& p : layout.partitions) {
            if (primary(p)) continue;
            entries.push_back(oldEntry(p));
            entries.resize(entries.size() + 3);
        }
    }
    std::vector<uint8_t> reply(DriveLayoutLayout::HeaderSize + entries.size() * PartitionInformation::Size, 0);
    codec::putLe32(&reply[DriveLayoutLayout::PartitionCount], uint32_t(entries.size()));
    codec::putLe32(&reply[DriveLayoutLayout::Signature], layout.signature);
    for (size_t i = 0; i < entries.size(); ++i)
        entries[i].encode(&reply[DriveLayoutLayout::Entries + i * PartitionInformation::Size]);
    return reply;
}

std::vector<uint8_t> encodeLayoutEx(const DiskLayout& layout) {
    const DWORD style = !layout.found ? platform::PARTITION_STYLE_RAW
                        : layout.gpt  ? platform::PARTITION_STYLE_GPT
                                      : platform::PARTITION_STYLE_MBR;
    const size_t count = layout.found ? layout.partitions.size() : 0;
    std::vector<uint8_t> reply(DriveLayoutExLayout::HeaderSize + count * PartitionInformationEx::Size, 0);
    codec::putLe32(&reply[DriveLayoutExLayout::PartitionStyle], style);
    codec::putLe32(&reply[DriveLayoutExLayout::PartitionCount], uint32_t(count));
    if (style == platform::PARTITION_STYLE_GPT) {
        for (size_t i = 0; i < 16; ++i) reply[DriveLayoutExLayout::GptDiskId + i] = layout.diskId[i];
        codec::putLe32(&reply[DriveLayoutExLayout::GptMaxPartitionCount], 128);
    } else {
        codec::putLe32(&reply[DriveLayoutExLayout::MbrSignature], layout.signature);
    }
    for (size_t i = 0; i < count; ++i) {
        const DiskPartition& p = layout.partitions[i];
        PartitionInformationEx e;
        e.partitionStyle = style == platform::PARTITION_STYLE_GPT ? platform::PARTITION_STYLE_GPT
                                                                  : platform::PARTITION_STYLE_MBR;
        e.startingOffset = int64_t(p.startSector * 512);
        e.partitionLength = int64_t(p.sectors * 512);
        e.partitionNumber = p.number;
        if (e.partitionStyle == platform::PARTITION_STYLE_GPT) {
            e.gptPartitionType = p.gptType;
            e.gptPartitionId = p.gptId;
            e.gptAttributes = p.gptAttributes;
            e.gptName = p.gptName;
        } else {
            e.mbrPartitionType = p.mbrType;
            e.mbrBootIndicator = p.boot ? 1 : 0;
            e.mbrRecognizedPartition = recognized(p.mbrType) ? 1 : 0;
            e.mbrHiddenSectors = uint32_t(p.startSector);
        }
        e.encode(&reply[DriveLayoutExLayout::Entries + i * PartitionInformationEx::Size]);
    }
    return reply;
}

}  // namespace zv::lnx
