// The management query on the real machine: one Win32_DiskDrive-like row per whole disk,
// from sysfs and the udev database.
#include "platform/linux/block_device_facts.h"
#include "platform/linux/linux_parts.h"

#include <filesystem>

namespace zv::lnx {

namespace {

using platform::ManagementObject;
using platform::ManagementValue;

// Not disks in the system's sense: loop images, RAM disks, device-mapper and RAID volumes,
// optical and floppy drives.
bool isWholeDiskName(const std::string& name) {
    for (const char* prefix : {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"})
        if (name.rfind(prefix, 0) == 0) return false;
    return true;
}

ManagementValue text(const std::string& value) {
    ManagementValue v;
    v.kind = ManagementValue::Kind::Text;
    v.text = value;
    return v;
}

ManagementValue integer(int64_t value) {
    ManagementValue v;
    v.kind = ManagementValue::Kind::Integer;
    v.integer = value;
    return v;
}

std::string trimmed(std::string value) {
    while (!value.empty() && value.back() == ' ') value.pop_back();
    while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    return value;
}

// "USB", "1394", "IDE" or "SCSI": udev's bus, else the device's place in the sysfs tree.
std::string interfaceTypeOf(const std::map<std::string, std::string>& udev, const std::string& devicePath) {
    const auto bus = udev.find("ID_BUS");
    if (bus != udev.end()) {
        if (bus->second == "usb") return "USB";
        if (bus->second == "ieee1394") return "1394";
        if (bus->second == "ata") return "IDE";
    }
    const auto path = udev.find("ID_PATH");
    if (path != udev.end() && path->second.find("-usb-") != std::string::npos) return "USB";
    if (devicePath.find("/usb") != std::string::npos) return "USB";
    if (devicePath.find("/fw") != std::string::npos || devicePath.find("firewire") != std::string::npos) return "1394";
    if (devicePath.find("/ata") != std::string::npos) return "IDE";
    return "SCSI";
}

std::string modelOf(const std::map<std::string, std::string>& udev, const std::string& disk) {
    std::string model;
    if (auto found = udev.find("ID_MODEL_ENC"); found != udev.end()) model = trimmed(decodeUdevText(found->second));
    else if (auto plain = udev.find("ID_MODEL"); plain != udev.end()) model = plain->second;
    if (model.empty()) model = trimmed(readSysAttribute(disk + "/device/model"));
    std::string vendor;
    if (auto found = udev.find("ID_VENDOR_ENC"); found != udev.end()) vendor = trimmed(decodeUdevText(found->second));
    else vendor = trimmed(readSysAttribute(disk + "/device/vendor"));
    // SATA disks report the vendor "ATA", which says nothing.
    if (!vendor.empty() && vendor != "ATA" && model.rfind(vendor, 0) != 0) model = vendor + " " + model;
    return trimmed(model);
}

ManagementObject diskRow(LinuxContext& ctx, const std::string& name) {
    const std::string disk = ctx.sysPath("/sys/block/" + name);
    std::error_code error;
    const std::string devicePath = std::filesystem::canonical(disk, error).string();
    const auto udev = udevProperties(ctx, readSysAttribute(disk + "/dev"));

    const std::string interfaceType = interfaceTypeOf(udev, devicePath);
    const bool removable = readSysAttribute(disk + "/removable") == "1";
    const bool readOnly = readSysAttribute(disk + "/ro") == "1";
    const bool external = interfaceType == "USB" || interfaceType == "1394";
    int64_t bytesPerSector = 512;
    try {
        bytesPerSector = std::stoll(readSysAttribute(disk + "/queue/logical_block_size"));
    } catch (...) {
    }
    if (bytesPerSector <= 0) bytesPerSector = 512;
    int64_t sectors512 = 0;
    try {
        sectors512 = std::stoll(readSysAttribute(disk + "/size"));
    } catch (...) {
    }
    const int64_t size = sectors512 * 512;

    std::string pnpId;
    if (auto found = udev.find("ID_PATH"); found != udev.end()) pnpId = found->second;
    else {
        const std::string sysRoot = ctx.sysPath("/sys");
        pnpId = devicePath.rfind(sysRoot, 0) == 0 ? devicePath.substr(sysRoot.size()) : devicePath;
        if (!pnpId.empty() && pnpId[0] == '/') pnpId.erase(0, 1);
    }

    ManagementValue capabilities;
    capabilities.kind = ManagementValue::Kind::IntegerArray;
    capabilities.array.push_back(3);                 // Random Access
    if (!readOnly) capabilities.array.push_back(4);  // Supports Writing
    if (removable) capabilities.array.push_back(7);  // Supports Removable Media

    const std::string state = readSysAttribute(disk + "/device/state");
    ManagementObject row;
    row.properties = {
        {"DeviceID", text("/dev/" + name)},
        {"InterfaceType", text(interfaceType)},
        {"PNPDeviceID", text(pnpId)},
        {"Description", text("Disk drive")},
        {"MediaType", text(removable ? "Removable Media" : external ? "External hard disk media" : "Fixed hard disk media")},
        {"Model", text(modelOf(udev, disk))},
        {"Capabilities", capabilities},
        {"BytesPerSector", integer(bytesPerSector)},
        {"TotalSectors", integer(size / bytesPerSector)},
        {"Size", integer(size)},
        {"Status", text(state.empty() || state == "running" || state == "live" ? "OK" : "Error")},
    };
    return row;
}

class LinuxManagement final : public platform::IManagement {
public:
    explicit LinuxManagement(LinuxContext& context) : m_context(context) {}

    HRESULT ExecQuery(const char*, const char*, const char* query, std::vector<ManagementObject>* rows,
                      std::string* errorText) override {
        const std::string text = query ? query : "";
        if (text != "SELECT * FROM Win32_DiskDrive") {
            if (errorText) *errorText = "Only the disk drives can be queried on this machine.";
            return WBEM_E_INVALID_QUERY;
        }
        std::vector<ManagementObject> result;
        for (const std::string& name : sortedBlockNames(m_context, "/sys/block"))
            if (isWholeDiskName(name)) result.push_back(diskRow(m_context, name));
        if (rows) *rows = std::move(result);
        return S_OK;
    }

private:
    LinuxContext& m_context;
};

}  // namespace

std::unique_ptr<platform::IManagement> makeLinuxManagement(LinuxContext& ctx) {
    return std::make_unique<LinuxManagement>(ctx);
}

}  // namespace zv::lnx
