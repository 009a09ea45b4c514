#include "diskinfo/physical_drive.h"

#include "platform/api/disk_requests.h"

#include <vector>

namespace zv::diskinfo {

using namespace zv::win;

DeviceNumber DeviceNumberOf(platform::Platform& platform, const std::string& root) {
    auto& io = platform.io();
    const std::string path = "\\\\.\\" + root;
    const HANDLE device = io.CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (device == INVALID_HANDLE_VALUE || device == 0) return {};
    uint8_t reply[platform::StorageDeviceNumber::Size] = {};
    DWORD returned = 0;
    DeviceNumber result;
    if (io.DeviceIoControl(device, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, reply, sizeof reply, &returned) &&
        returned >= sizeof reply) {
        const auto number = platform::StorageDeviceNumber::decode(reply);
        // A CD/DVD drive answers with its own count ("CdRom0"), which is no disk number:
        // taken as one it would name the first disk and show that disk's serial and data.
        if (number.deviceType != FILE_DEVICE_DISK) {
            io.CloseHandle(device);
            return result;
        }
        result.diskNumber = int32_t(number.deviceNumber);
        result.partitionNumber = int32_t(number.partitionNumber);
    }
    io.CloseHandle(device);
    return result;
}

int32_t PhysicalDriveNumber(platform::Platform& platform, const std::string& root) {
    return DeviceNumberOf(platform, root).diskNumber;
}

std::string DosDeviceName(platform::Platform& platform, char letter) {
    const std::string device = std::string(1, letter) + ":";
    std::vector<char> targets(1024, '\0');
    const DWORD stored = platform.drives().QueryDosDeviceA(device.c_str(), targets.data(), DWORD(targets.size()));
    if (stored == 0) return {};
    targets.back() = '\0';
    return std::string(targets.data());
}

std::string VolumeLabel(platform::Platform& platform, char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    char name[81] = {};
    char fsName[21] = {};
    if (!platform.drives().GetVolumeInformationA(root.c_str(), name, 81, nullptr, nullptr, nullptr, fsName, 21))
        return {};
    name[80] = 0;
    return name;
}

}  // namespace zv::diskinfo
