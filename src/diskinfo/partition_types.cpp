#include "diskinfo/partition_types.h"

namespace zv::diskinfo {

namespace {
const char* const kUnknown = "Unknown partition type";
const char* const kEfiSystem = "C12A7328-F81F-11D2-BA4B-00A0C93EC93B";
}  // namespace

std::string PartitionTypeName(uint8_t partitionType) {
    switch (partitionType) {
    case 0x00: return "Unused entry";
    case 0x01: return "FAT12";
    case 0x02: return "Xenix type 1";
    case 0x03: return "Xenix type 2";
    case 0x04: return "FAT16 (up to 32 MB)";
    case 0x05: return "Extended";
    case 0x06: return "MS-DOS V4 huge";
    case 0x07: return "IFS";
    case 0x0A: return "OS/2 Boot Manager/OPUS/Coherent swap";
    case 0x0B: return "FAT32";
    case 0x0C: return "FAT32 using extended int13 services";
    case 0x0E: return "Win9x with extended int13 services";
    case 0x0F: return "Extended partition with extended int13 services";
    case 0x41: return "PowerPC";
    case 0x42: return "Logical Disk Manager partition";
    case 0x63: return "UNIX";
    case 0xC0: return "NTFT";
    default: return kUnknown;
    }
}

std::string GptPartitionTypeName(const platform::Guid& type) {
    struct Known {
        const char* guid;
        const char* name;
    };
    static const Known known[] = {
        {kEfiSystem, "EFI System"},
        {"EBD0A0A2-B9E5-4433-87C0-68B6B72699C7", "Microsoft basic data"},
        {"E3C9E316-0B5C-4DB8-817D-F92DF00215AE", "Microsoft reserved"},
        {"DE94BBA4-06D1-4D40-A16A-BFD50179D6AC", "Windows recovery environment"},
        {"5808C8AA-7E8F-42E0-85D2-E1E90434CFB3", "Microsoft LDM metadata"},
        {"AF9B60A0-1431-4F62-BC68-3311714A69AD", "Microsoft LDM data"},
        {"0FC63DAF-8483-4772-8E79-3D69D8477DE4", "Linux filesystem"},
        {"0657FD6D-A4AB-43C4-84E5-0933C84B4F4F", "Linux swap"},
        {"E6D6D379-F507-44C2-A23C-238F2A3DF928", "Linux LVM"},
        {"A19D880F-05FC-4D3B-A006-743F0F84911E", "Linux RAID"},
        {"4F68BCE3-E8CD-4DB1-96E7-FBCAF984B709", "Linux root (x86-64)"},
        {"933AC7E1-2EB4-4F13-B844-0E14E2AEF915", "Linux home"},
        {"21686148-6449-6E6F-744E-656564454649", "BIOS boot"},
        {"48465300-0000-11AA-AA11-00306543ECAC", "Apple HFS/HFS+"},
    };
    const std::string text = platform::guidText(type);
    for (const auto& k : known)
        if (text == k.guid) return k.name;
    return kUnknown;
}

bool IsEfiSystemPartition(const platform::Guid& type) { return platform::guidText(type) == kEfiSystem; }

}  // namespace zv::diskinfo
