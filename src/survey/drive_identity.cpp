#include "survey/drive_identity.h"

#include "common/utf.h"
#include "platform/api/codec.h"
#include "platform/api/pass_through.h"
#include "survey/platform_family.h"

#include <array>
#include <cctype>
#include <cstdio>

namespace zv::survey {

namespace {

using namespace zv::win;

// SPC INQUIRY: operation code 12h, allocation length 100 bytes of standard inquiry data.
constexpr DWORD kInquiryLength = 100;
constexpr uint8_t kInquiryCdb[6] = {0x12, 0x00, 0x00, 0x00, 0x64, 0x00};
constexpr size_t kInquiryTextOffset = 8;  // vendor identification starts here

// STORAGE_PROPERTY_QUERY (StorageDeviceProperty, PropertyStandardQuery) and the room given
// to the STORAGE_DEVICE_DESCRIPTOR that answers it.
constexpr DWORD kPropertyQuerySize = 12;
constexpr DWORD kDescriptorSize = 548;
constexpr size_t kDescriptorSizeField = 4;
constexpr size_t kRemovableMediaField = 10;
constexpr size_t kBusTypeField = 28;

constexpr DWORD kRemoteNameLength = 260;

// Closes a device handle when the query leaves, on every path.
class DeviceHandle {
public:
    DeviceHandle(platform::Platform& platform, HANDLE handle) : m_platform(platform), m_handle(handle) {}
    ~DeviceHandle() {
        if (valid()) m_platform.io().CloseHandle(m_handle);
    }
    DeviceHandle(const DeviceHandle&) = delete;
    DeviceHandle& operator=(const DeviceHandle&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != 0; }
    HANDLE get() const { return m_handle; }

private:
    platform::Platform& m_platform;
    HANDLE m_handle;
};

class RegistryKey {
public:
    explicit RegistryKey(platform::Platform& platform) : m_platform(platform) {}
    ~RegistryKey() {
        if (m_open) m_platform.registry().RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* receive() { return &m_key; }
    void markOpen() { m_open = true; }
    HKEY get() const { return m_key; }

private:
    platform::Platform& m_platform;
    HKEY m_key = 0;
    bool m_open = false;
};

char upperLetter(char letter) { return static_cast<char>(std::toupper(static_cast<unsigned char>(letter))); }

}  // namespace

const char* const kExplorerPolicyKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char* const kNoDrivesValue = "NoDrives";

std::string driveDevicePath(char letter) { return std::string("\\\\.\\") + letter + ':'; }

HANDLE OpenDriveDevice(platform::Platform& platform, char letter, DeviceOpenMode mode) {
    const std::string path = driveDevicePath(letter);
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if (mode == DeviceOpenMode::ReadWrite)
        return platform.io().CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, OPEN_EXISTING, 0);
    if (isNtFamily(platform))
        return platform.io().CreateFileW(utf16FromUtf8(path).c_str(), 0, share, OPEN_EXISTING, 0);
    return platform.io().CreateFileA(path.c_str(), 0, share, OPEN_EXISTING, 0);
}

std::string QueryDriveIdentity(platform::Platform& platform, char letter) {
    try {
        DeviceHandle device(platform, OpenDriveDevice(platform, letter, DeviceOpenMode::ReadWrite));
        if (!device.valid()) return {};

        platform::PassThroughRequest request;
        request.build({6, 24, kInquiryLength, 2}, kInquiryCdb, sizeof kInquiryCdb);
        std::array<uint8_t, kInquiryLength> data{};
        DWORD returned = 0;
        // Only the success of the call counts: the SCSI status and sense data are not
        // examined, so a device that sends no data leaves the text empty.
        if (!platform.io().ScsiPassThroughDirect(device.get(), request.data(), request.size(), data.data(), &returned))
            return {};
        return codec::zeroTerminated(data.data() + kInquiryTextOffset, data.size() - kInquiryTextOffset);
    } catch (...) {
        return {};
    }
}

bool IsExternalDrive(platform::Platform& platform, char letter) {
    try {
        DeviceHandle device(platform, OpenDriveDevice(platform, letter, DeviceOpenMode::QueryOnly));
        if (!device.valid()) return false;

        std::array<uint8_t, kPropertyQuerySize> query{};
        std::array<uint8_t, kDescriptorSize> descriptor{};
        codec::putLe32(descriptor.data() + kDescriptorSizeField, kDescriptorSize);
        DWORD returned = 0;
        if (!platform.io().DeviceIoControl(device.get(), IOCTL_STORAGE_QUERY_PROPERTY, query.data(), kPropertyQuerySize,
                                           descriptor.data(), kDescriptorSize, &returned))
            return false;
        const DWORD bus = codec::getLe32(descriptor.data() + kBusTypeField);
        return bus == BusType1394 || bus == BusTypeUsb || descriptor[kRemovableMediaField] != 0;
    } catch (...) {
        return false;
    }
}

std::string QueryVolumeSerialText(platform::Platform& platform, char letter) {
    try {
        const std::string root = std::string(1, letter) + ":\\";
        std::array<char, 256> name{};
        DWORD serial = 0;
        if (!platform.drives().GetVolumeInformationA(root.c_str(), name.data(), DWORD(name.size()), &serial, nullptr,
                                                     nullptr, nullptr, 0))
            return {};
        char text[32];
        std::snprintf(text, sizeof text, "%.4X - %.4X", unsigned(serial >> 16), unsigned(serial & 0xFFFF));
        return text;
    } catch (...) {
        return {};
    }
}

int QueryDriveVisibility(platform::Platform& platform, char letter) {
    const DWORD bit = DriveLetterBit(letter);
    if (bit == 0) return VisibilityNoPolicy;
    try {
        RegistryKey key(platform);
        DWORD disposition = 0;
        if (platform.registry().RegCreateKeyExA(HKEY_CURRENT_USER, kExplorerPolicyKey, REG_OPTION_NON_VOLATILE,
                                                KEY_ALL_ACCESS, key.receive(), &disposition) != ERROR_SUCCESS)
            return VisibilityNoPolicy;
        key.markOpen();

        DWORD type = REG_NONE;
        std::array<BYTE, 4> data{};
        DWORD size = DWORD(data.size());
        if (platform.registry().RegQueryValueExA(key.get(), kNoDrivesValue, &type, data.data(), &size) != ERROR_SUCCESS)
            return VisibilityNoPolicy;
        if (type != REG_DWORD || size != data.size()) return VisibilityNoPolicy;
        return (codec::getLe32(data.data()) & bit) ? VisibilityHidden : VisibilityVisible;
    } catch (...) {
        return VisibilityNoPolicy;
    }
}

DWORD DriveLetterBit(char letter) {
    const char upper = upperLetter(letter);
    if (upper < 'A' || upper > 'Z') return 0;
    return DWORD(1) << (upper - 'A');
}

bool IsUnavailableConnection(platform::Platform& platform, const std::string& driveName) {
    try {
        std::array<char, kRemoteNameLength> remote{};
        DWORD length = kRemoteNameLength;
        return platform.network().WNetGetConnectionA(driveName.c_str(), remote.data(), &length) ==
               ERROR_CONNECTION_UNAVAIL;
    } catch (...) {
        return false;
    }
}

}  // namespace zv::survey
