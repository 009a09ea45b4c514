// What the drive properties sheet shows for a letter: label, type, file system and the
// used and free bytes.
#pragma once

#include "platform/api/platform.h"

#include <cstdint>
#include <string>

namespace zv::actions {

struct DriveProperties {
    char letter = 'C';
    std::string label;        // "" when the volume cannot be read
    std::string typeText;     // "Local Disk", "Removable Disk", "CD / DVD Drive", "Network Drive", ...
    std::string fileSystem;   // "" when the volume cannot be read
    bool measured = false;    // the size query succeeded
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;   // available to the user
    uint64_t usedBytes() const { return totalBytes >= freeBytes ? totalBytes - freeBytes : 0; }
};

// Never fails: a volume that cannot be read leaves its fields empty and `measured` false.
DriveProperties queryDriveProperties(platform::Platform& platform, char letter);

// The type sheet text of a GetDriveTypeA code.
std::string driveTypeName(win::UINT driveType);

}  // namespace zv::actions
