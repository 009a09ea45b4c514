// The classification of a drive letter by its drive type: type text, icon and detail.
#pragma once

#include "platform/api/platform.h"

#include <string>

namespace zv::survey {

struct DriveClass {
    std::string typeText;
    int imageIndex = 0;
    std::string additionalInfo;
};

// What the classification asks of the machine, and only for the types that need it.
class ClassificationQueries {
public:
    virtual ~ClassificationQueries() = default;
    virtual std::string substFolder(char letter) = 0;             // fixed disks
    virtual bool isExternal(char letter) = 0;                      // fixed disks, no folder
    // WNetGetConnectionA's result for "X:" and, on success, the remote name (network disks).
    virtual win::DWORD networkConnection(const std::string& driveName, std::string* remoteName) = 0;
    virtual std::string opticalKind(char letter) = 0;              // CD/DVD drives
};

// The row's TypeText, ImageIndex and AdditionalInfo for a letter of `driveType`.
DriveClass classifyDrive(win::UINT driveType, char letter, bool disconnected, const std::string& identityText,
                         ClassificationQueries& queries);

}  // namespace zv::survey
