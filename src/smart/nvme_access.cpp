#include "smart/nvme_access.h"

#include <vector>

#include "diskinfo/ide_serial.h"
#include "diskinfo/system_message.h"
#include "platform/api/storage_protocol.h"

namespace zv::smart {

using namespace zv::win;
using platform::ProtocolDescriptorLayout;
using platform::StorageProtocolSpecificData;

namespace {

constexpr DWORD kDeviceDescriptorRoom = 512;
constexpr size_t kBusTypeField = 28;  // STORAGE_DEVICE_DESCRIPTOR.BusType

// "\\.\PhysicalDriveN", closed when it goes.
class PhysicalDrive {
public:
    PhysicalDrive(platform::Platform& platform, int32_t driveNumber, DWORD access) : m_platform(platform) {
        const std::string path = "\\\\.\\PhysicalDrive" + std::to_string(driveNumber);
        m_handle = platform.io().CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             OPEN_EXISTING, 0);
    }
    ~PhysicalDrive() {
        if (valid()) m_platform.io().CloseHandle(m_handle);
    }
    PhysicalDrive(const PhysicalDrive&) = delete;
    PhysicalDrive& operator=(const PhysicalDrive&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != 0; }
    HANDLE get() const { return m_handle; }

private:
    platform::Platform& m_platform;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// One protocol-specific request; the data it returned, or empty (with the error) when it
// failed or the reply does not hold `needed` bytes of data.
std::vector<uint8_t> protocolData(platform::Platform& platform, HANDLE drive, DWORD propertyId,
                                  DWORD dataType, DWORD requestValue, DWORD needed, DWORD* error) {
    std::vector<uint8_t> buffer =
        platform::buildNvmeProtocolQuery(propertyId, dataType, requestValue, 0, needed);
    DWORD returned = 0;
    if (!platform.io().DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, buffer.data(),
                                       DWORD(buffer.size()), buffer.data(), DWORD(buffer.size()),
                                       &returned)) {
        *error = platform.GetLastError();
        return {};
    }
    const DWORD version = codec::getLe32(&buffer[ProtocolDescriptorLayout::Version]);
    const DWORD size = codec::getLe32(&buffer[ProtocolDescriptorLayout::SizeField]);
    const auto answer = StorageProtocolSpecificData::decode(&buffer[ProtocolDescriptorLayout::Parameters]);
    const size_t start = size_t(ProtocolDescriptorLayout::Parameters) + answer.dataOffset;
    if (version != ProtocolDescriptorLayout::Size || size != ProtocolDescriptorLayout::Size ||
        answer.dataOffset < StorageProtocolSpecificData::Size || answer.dataLength < needed ||
        start + needed > buffer.size() || start + needed > returned) {
        *error = ERROR_INVALID_DATA;
        return {};
    }
    return std::vector<uint8_t>(buffer.begin() + std::ptrdiff_t(start),
                                buffer.begin() + std::ptrdiff_t(start + needed));
}

}  // namespace

bool IsNvmeDisk(platform::Platform& platform, int32_t driveNumber) {
    if (driveNumber < 0 || diskinfo::platformFamilyOf(platform) != diskinfo::PlatformFamily::Nt) return false;
    PhysicalDrive drive(platform, driveNumber, 0);
    if (!drive.valid()) return false;
    uint8_t query[12] = {};  // StorageDeviceProperty, PropertyStandardQuery
    std::vector<uint8_t> descriptor(kDeviceDescriptorRoom, 0);
    DWORD returned = 0;
    if (!platform.io().DeviceIoControl(drive.get(), IOCTL_STORAGE_QUERY_PROPERTY, query, sizeof query,
                                       descriptor.data(), DWORD(descriptor.size()), &returned) ||
        returned < kBusTypeField + 4)
        return false;
    return codec::getLe32(&descriptor[kBusTypeField]) == BusTypeNvme;
}

bool ReadNvmeHealth(platform::Platform& platform, int32_t driveNumber, NvmeReadout& readout,
                    std::string& errorText, DWORD* errorCode) {
    readout = NvmeReadout{};
    errorText.clear();
    DWORD error = 0;
    auto failed = [&](const std::string& prefix) {
        errorText = prefix + diskinfo::systemMessage(platform, error);
        if (errorCode) *errorCode = error;
        return false;
    };
    PhysicalDrive drive(platform, driveNumber, GENERIC_READ | GENERIC_WRITE);
    if (!drive.valid()) {
        error = platform.GetLastError();
        return failed("Unable to open physical drive: ");
    }
    const auto controller = protocolData(
        platform, drive.get(), platform::StorageAdapterProtocolSpecificProperty,
        platform::NVMeDataTypeIdentify, platform::NVME_IDENTIFY_CNS_CONTROLLER, kNvmeIdentifySize, &error);
    if (controller.empty()) return failed("NVMe Identify Controller Failed: ");
    readout.identity = DecodeNvmeIdentifyController(controller.data());

    DWORD namespaceError = 0;
    const auto space =
        protocolData(platform, drive.get(), platform::StorageDeviceProtocolSpecificProperty,
                     platform::NVMeDataTypeIdentify, platform::NVME_IDENTIFY_CNS_SPECIFIC_NAMESPACE,
                     kNvmeIdentifySize, &namespaceError);
    if (!space.empty()) readout.sizeBytes = NvmeNamespaceSizeBytes(space.data());

    const auto log = protocolData(platform, drive.get(), platform::StorageAdapterProtocolSpecificProperty,
                                  platform::NVMeDataTypeLogPage, platform::NVME_LOG_PAGE_HEALTH_INFO,
                                  kNvmeHealthLogSize, &error);
    if (log.empty()) return failed("NVMe Health Log Failed: ");
    readout.health = DecodeNvmeHealthLog(log.data());
    if (errorCode) *errorCode = 0;
    return true;
}

}  // namespace zv::smart
