// Which physical disk and partition hold a drive letter, its DOS device name and its label.
#pragma once

#include "platform/api/platform.h"

#include <cstdint>
#include <string>

namespace zv::diskinfo {

struct DeviceNumber {
    int32_t diskNumber = -1;       // -1 when the letter names no disk
    int32_t partitionNumber = -1;  // 1-based; 0 for a whole-disk volume; -1 when unknown
};

// The device-number query on "\\.\X:" ("X:" given); both numbers -1 on failure.
DeviceNumber DeviceNumberOf(platform::Platform& platform, const std::string& root);

// The disk number alone, -1 on failure.
int32_t PhysicalDriveNumber(platform::Platform& platform, const std::string& root);

// The first target of the letter's DOS device ("\Device\HarddiskVolume1"); "" on failure.
std::string DosDeviceName(platform::Platform& platform, char letter);

// The letter's volume name; "" when the volume does not answer.
std::string VolumeLabel(platform::Platform& platform, char letter);

}  // namespace zv::diskinfo
