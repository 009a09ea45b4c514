// The partition table of the disk that holds a drive letter.
#pragma once

#include "platform/api/disk_requests.h"
#include "platform/api/platform.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zv::diskinfo {

// One partition in use, in the form of the old layout record; GPT partitions carry their
// type identifier instead of a type byte.
struct DriveLayoutEntry {
    int64_t StartingOffset = 0;
    int64_t PartitionLength = 0;
    uint32_t HiddenSectors = 0;
    uint32_t PartitionNumber = 0;
    uint8_t PartitionType = 0;  // MBR type byte; 0 on GPT
    bool BootIndicator = false; // MBR boot flag; GPT: the EFI system partition or the
                                // legacy-BIOS-bootable attribute (bit 2)
    bool gpt = false;
    platform::Guid gptType{};
    std::string gptName;        // UTF-8

    // PartitionTypeName of the type byte, or the GPT type's name.
    std::string typeName() const;
};

struct DriveLayout {
    uint32_t partitionStyle = platform::PARTITION_STYLE_MBR;
    uint32_t signature = 0;               // MBR disk signature
    std::vector<DriveLayoutEntry> entries;  // entries in use, in table order

    // The entry of the partition with this number, or null.
    const DriveLayoutEntry* partition(uint32_t partitionNumber) const;
};

// Opens "\\.\X:" and reads the layout of the disk under it: the old layout request first,
// the extended one for a GPT disk (the old request fails there, or shows only the
// protective entry) and when the old one fails. Unused entries are left out. A table
// larger than the first reply buffer is read again with room for it. False on failure; the
// platform's last error then says why.
bool ReadDriveLayout(platform::Platform& platform, char letter, DriveLayout& layout);

// Decoders of the two replies (`size` = bytes returned).
bool DecodeDriveLayout(const uint8_t* reply, size_t size, DriveLayout& layout);
bool DecodeDriveLayoutEx(const uint8_t* reply, size_t size, DriveLayout& layout);

}  // namespace zv::diskinfo
