// The partition table of a whole disk, read with libblkid where the disk can be opened and
// from sysfs and the udev database otherwise, and written as the two Windows layout replies.
#pragma once

#include "platform/api/disk_requests.h"
#include "platform/linux/linux_context.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zv::lnx {

struct DiskPartition {
    uint32_t number = 0;          // the kernel's partition number (logical MBR partitions from 5)
    uint64_t startSector = 0;     // 512-byte units, whatever the disk's sector size
    uint64_t sectors = 0;
    uint8_t mbrType = 0;
    bool boot = false;            // MBR flag 0x80
    bool container = false;       // the MBR extended partition
    bool logical = false;
    platform::Guid gptType{};
    platform::Guid gptId{};
    uint64_t gptAttributes = 0;
    std::u16string gptName;
};

struct DiskLayout {
    bool found = false;           // a partition table was recognised
    bool gpt = false;
    uint32_t signature = 0;       // MBR disk signature (bytes 440-443)
    platform::Guid diskId{};
    std::vector<DiskPartition> partitions;  // in partition-number order
};

// MBR type byte of partitions whose type is unknown (no udev record and no read access):
// 0x7F is the code set aside for local and experimental use, so no known name is claimed.
inline constexpr uint8_t kUnknownMbrType = 0x7F;

// Probes the table on an open descriptor of the whole disk (libblkid partitions API).
// False when libblkid cannot read it.
bool probeDiskLayout(int fd, DiskLayout& layout);

// The layout as sysfs (partition numbers, start and size) and the udev records of the
// partitions (scheme, type, flags, name) describe it. `diskName` is the kernel name.
DiskLayout sysfsDiskLayout(const std::string& sysRoot, const std::string& diskName);

// The Windows replies. The old form lists the primary table in slots 1-4 (unused slots
// zeroed) and then one group of four per logical partition; its hidden sectors are the
// partition's first sector counted from the start of the disk.
std::vector<uint8_t> encodeOldLayout(const DiskLayout& layout);
std::vector<uint8_t> encodeLayoutEx(const DiskLayout& layout);

// "0x7" / "7" / "0x83" -> the byte; "c12a7328-..." -> the GUID.
bool parseMbrTypeText(const std::string& text, uint8_t* type);

}  // namespace zv::lnx
