#include "survey/drive_classification.h"

#include "survey/drive_texts.h"

namespace zv::survey {

using namespace zv::win;

namespace {

DriveClass networkDisk(char letter, ClassificationQueries& queries) {
    std::string remote;
    const DWORD result = queries.networkConnection(std::string(1, letter) + ':', &remote);
    if (result == ERROR_CONNECTION_UNAVAIL) return {"Network Disk", 1, "Disconnected"};
    if (result == NO_ERROR) return {"Network Disk", 1, remote};
    return {"Network Disk", 1, {}};
}

DriveClass fixedDisk(char letter, ClassificationQueries& queries) {
    const std::string folder = queries.substFolder(letter);
    if (!folder.empty()) return {"Subst", 0, folder};
    if (queries.isExternal(letter)) return {"Local Disk", 0, "External Drive"};
    return {"Local Disk", 0, {}};
}

}  // namespace

DriveClass classifyDrive(UINT driveType, char letter, bool disconnected, const std::string& identityText,
                         ClassificationQueries& queries) {
    switch (driveType) {
    case DRIVE_UNKNOWN: return {"Unknown", 0, {}};
    case DRIVE_NO_ROOT_DIR:
        // A remembered connection that cannot be reached leaves the letter without a root.
        if (disconnected) return {"Network", 5, "Disconnected"};
        return {"No Root Dir", 0, {}};
    case DRIVE_REMOVABLE: return {"Removable Disk", 3, vendorOf(identityText)};
    case DRIVE_FIXED: return fixedDisk(letter, queries);
    case DRIVE_REMOTE: return networkDisk(letter, queries);
    case DRIVE_CDROM: return {"CD / DVD Drive", 2, queries.opticalKind(letter)};
    case DRIVE_RAMDISK: return {"RAM Disk", 0, {}};
    default: return {"xxxxx", 0, {}};
    }
}

}  // namespace zv::survey
