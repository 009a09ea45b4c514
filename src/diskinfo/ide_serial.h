// The serial number a physical disk reports in its ATA IDENTIFY data.
#pragma once

#include "platform/api/platform.h"

#include <cstdint>
#include <string>

namespace zv::diskinfo {

// The platform family that decides how physical disks are reached.
enum class PlatformFamily { Nt, Win9x, Other };
PlatformFamily platformFamilyOf(platform::Platform& platform);

// IDENTIFY DEVICE through the S.M.A.R.T. driver request on "\\.\PhysicalDriveN" (on the
// older family the S.M.A.R.T. driver, where the disk number is not used). The text of words
// 10-19 with each byte pair swapped, up to its first NUL and untrimmed; "" on failure.
std::string IdeSerialNumber(platform::Platform& platform, int32_t diskNumber);

}  // namespace zv::diskinfo
