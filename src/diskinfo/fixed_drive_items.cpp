#include "diskinfo/fixed_drive_items.h"

#include "diskinfo/physical_drive.h"

namespace zv::diskinfo {

using namespace zv::win;

std::vector<std::string> FixedDriveItems(platform::Platform& platform) {
    auto& drives = platform.drives();
    char roots[256] = {};
    const DWORD length = drives.GetLogicalDriveStringsA(255, roots);
    std::vector<std::string> items;
    if (length == 0 || length > 255) return items;
    roots[255] = 0;
    for (const char* root = roots; *root && root < roots + length; root += std::char_traits<char>::length(root) + 1) {
        const char letter = root[0];
        const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
        if (!isLetter) continue;
        const std::string typeRoot = std::string(1, letter) + ":\\";
        if (drives.GetDriveTypeA(typeRoot.c_str()) != DRIVE_FIXED) continue;
        items.push_back(std::string(1, letter) + ": [" + VolumeLabel(platform, letter) + "]");
    }
    return items;
}

char driveLetterOfItem(const std::string& itemText) { return itemText.empty() ? 0 : itemText[0]; }

}  // namespace zv::diskinfo
