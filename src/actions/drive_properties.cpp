#include "actions/drive_properties.h"

namespace zv::actions {

using namespace zv::win;

std::string driveTypeName(UINT driveType) {
    switch (driveType) {
    case DRIVE_REMOVABLE: return "Removable Disk";
    case DRIVE_FIXED: return "Local Disk";
    case DRIVE_REMOTE: return "Network Drive";
    case DRIVE_CDROM: return "CD / DVD Drive";
    case DRIVE_RAMDISK: return "RAM Disk";
    case DRIVE_NO_ROOT_DIR: return "No Root Dir";
    default: return "Unknown";
    }
}

DriveProperties queryDriveProperties(platform::Platform& platform, char letter) {
    DriveProperties properties;
    properties.letter = letter;
    const std::string root = std::string(1, letter) + ":\\";
    auto& drives = platform.drives();
    properties.typeText = driveTypeName(drives.GetDriveTypeA(root.c_str()));

    char label[81] = {};
    char fileSystem[21] = {};
    if (drives.GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, fileSystem,
                                     sizeof fileSystem)) {
        properties.label = label;
        properties.fileSystem = fileSystem;
    }
    // An empty drive raises no system dialog while it is measured.
    const UINT previous = drives.SetErrorMode(SEM_FAILCRITICALERRORS);
    ULONGLONG available = 0;
    ULONGLONG total = 0;
    ULONGLONG totalFree = 0;
    if (drives.GetDiskFreeSpaceExA(root.c_str(), &available, &total, &totalFree)) {
        properties.measured = true;
        properties.totalBytes = total;
        properties.freeBytes = available;
    }
    drives.SetErrorMode(previous);
    return properties;
}

}  // namespace zv::actions
