#include "diskinfo/ide_serial.h"

#include "platform/api/disk_requests.h"

#include <vector>

namespace zv::diskinfo {

using namespace zv::win;
using platform::SendCmdOutLayout;

PlatformFamily platformFamilyOf(platform::Platform& platform) {
    OSVERSIONINFOA info;
    if (!platform.system().GetVersionExA(&info)) return PlatformFamily::Other;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) return PlatformFamily::Nt;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return PlatformFamily::Win9x;
    return PlatformFamily::Other;
}

std::string IdeSerialNumber(platform::Platform& platform, int32_t diskNumber) {
    auto& io = platform.io();
    HANDLE device = INVALID_HANDLE_VALUE;
    if (platformFamilyOf(platform) == PlatformFamily::Nt) {
        const std::string path = "\\\\.\\PhysicalDrive" + std::to_string(diskNumber);
        device = io.CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                OPEN_EXISTING, 0);
    } else {
        device = io.CreateFileA("\\\\.\\SMARTVSD", 0, 0, CREATE_NEW, 0);
    }
    if (device == INVALID_HANDLE_VALUE || device == 0) return {};

    platform::SendCmdInParams request;
    request.bufferSize = 512;
    request.regs.sectorCount = 1;
    request.regs.sectorNumber = 1;
    request.regs.driveHead = 0xA0;
    request.regs.command = platform::ATA_IDENTIFY_DEVICE;
    uint8_t in[platform::SendCmdInParams::Size];
    request.encode(in);
    std::vector<uint8_t> reply(SendCmdOutLayout::SectorReplySize, 0);
    DWORD returned = 0;
    const bool ok = io.DeviceIoControl(device, SMART_RCV_DRIVE_DATA, in, sizeof in, reply.data(),
                                       DWORD(reply.size()), &returned) != FALSE;
    io.CloseHandle(device);
    if (!ok) return {};

    // Words 10-19: two characters per word, the first in the high byte.
    const uint8_t* field = reply.data() + SendCmdOutLayout::Data + 20;
    std::string serial;
    for (size_t i = 0; i < 20; i += 2) {
        serial += char(field[i + 1]);
        serial += char(field[i]);
    }
    const size_t nul = serial.find('\0');
    return nul == std::string::npos ? serial : serial.substr(0, nul);
}

}  // namespace zv::diskinfo
