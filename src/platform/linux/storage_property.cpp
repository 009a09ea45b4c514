// Storage properties from sysfs. The bus is found the way lsblk finds its TRAN column: by
// the SCSI host and the components of the device's sysfs path.
#include "platform/linux/storage_property.h"

#include "platform/api/codec.h"
#include "platform/api/storage_protocol.h"
#include "platform/linux/nvme_protocol_query.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/udev_db.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace zv::lnx {

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos < path.size()) {
        size_t end = path.find('/', pos);
        if (end == std::string::npos) end = path.size();
        if (end > pos) parts.push_back(path.substr(pos, end - pos));
        pos = end + 1;
    }
    return parts;
}

std::string rootPrefix(const std::string& sysRoot) { return sysRoot == "/" ? std::string() : sysRoot; }

// A namespace block device hangs under its controller (".../nvme/nvme0/nvme0n1") or, with
// native multipath, under its subsystem (".../nvme-subsystem/nvme-subsys0/nvme0n1"); some
// trees put a "block" folder between the device and the disk.
bool underNvmeController(const std::vector<std::string>& parts) {
    size_t device = parts.size() < 2 ? 0 : parts.size() - 2;
    if (device > 0 && parts[device] == "block") --device;
    if (device == 0) return false;
    const std::string& group = parts[device - 1];
    return group == "nvme" || group == "nvme-subsystem";
}

}  // namespace

DWORD busTypeOf(const std::string& sysRoot, const std::string& dir) {
    std::vector<std::string> parts = components(dir);
    std::string name = parts.empty() ? std::string() : parts.back();
    std::string host;
    size_t hostIndex = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (startsWith(part, "host") && part.size() > 4 && std::isdigit(static_cast<unsigned char>(part[4]))) {
            host = part;
            hostIndex = i;
        }
    }
    for (size_t i = 0; i < parts.size(); ++i)
        if (startsWith(parts[i], "usb") && parts[i].size() > 3 && std::isdigit(static_cast<unsigned char>(parts[i][3])))
            return BusTypeUsb;
    if (underNvmeController(parts)) return BusTypeNvme;
    if (pathExists(dir + "/device/ieee1394_id")) return BusType1394;
    for (const auto& part : parts)
        if (startsWith(part, "fw") && part.size() > 2 && std::isdigit(static_cast<unsigned char>(part[2])))
            return BusType1394;
    if (!host.empty()) {
        std::string root = rootPrefix(sysRoot);
        if (pathExists(root + "/sys/class/sas_host/" + host) || pathExists(dir + "/device/sas_device")) return BusTypeSas;
        if (pathExists(root + "/sys/class/iscsi_host/" + host)) return BusTypeiScsi;
        if (pathExists(root + "/sys/class/fc_host/" + host)) return BusTypeFibre;
        std::string hostDir;
        for (size_t i = 0; i <= hostIndex; ++i) hostDir += "/" + parts[i];
        std::string procName = readAttribute(hostDir + "/scsi_host/" + host + "/proc_name");
        if (procName.empty()) procName = readAttribute(root + "/sys/class/scsi_host/" + host + "/proc_name");
        if (startsWith(procName, "ahci") || startsWith(procName, "sata")) return BusTypeSata;
        if (procName.find("ata") != std::string::npos) return BusTypeAta;
        return BusTypeScsi;
    }
    if (startsWith(name, "nvme")) return BusTypeNvme;
    if (startsWith(name, "vd")) return BusTypeVirtual;
    if (startsWith(name, "mmcblk")) return BusTypeSd;
    if (startsWith(name, "loop")) return BusTypeFileBackedVirtual;
    if (startsWith(name, "md")) return BusTypeRAID;
    return BusTypeUnknown;
}

StorageFacts storageFactsOf(const std::string& sysRoot, const std::string& dir) {
    StorageFacts facts;
    facts.removableMedia = readNumber(dir + "/removable", 0) == 1;
    facts.busType = busTypeOf(sysRoot, dir);
    int64_t type = readNumber(dir + "/device/type", -1);
    std::string name = components(dir).empty() ? std::string() : components(dir).back();
    facts.deviceType = type >= 0 ? uint8_t(type) : (startsWith(name, "sr") ? 5 : 0);
    facts.vendor = readAttribute(dir + "/device/vendor");
    facts.product = readAttribute(dir + "/device/model");
    facts.revision = readAttribute(dir + "/device/rev");
    if (facts.revision.empty()) facts.revision = readAttribute(dir + "/device/firmware_rev");
    if (startsWith(facts.vendor, "0x")) facts.vendor.clear();  // virtio prints its PCI vendor id
    std::string numbers = readAttribute(dir + "/dev");
    size_t colon = numbers.find(':');
    if (colon != std::string::npos) {
        UdevRecord record = readUdevRecord(sysRoot, unsigned(std::stoul(numbers.substr(0, colon))),
                                           unsigned(std::stoul(numbers.substr(colon + 1))));
        facts.serial = record.value("ID_SERIAL_SHORT");
        if (facts.vendor.empty()) facts.vendor = record.decoded("ID_VENDOR");
        if (facts.product.empty()) facts.product = record.decoded("ID_MODEL");
        if (record.value("ID_BUS") == "usb" && facts.busType == BusTypeUnknown) facts.busType = BusTypeUsb;
    }
    if (facts.serial.empty()) facts.serial = readAttribute(dir + "/device/serial");
    if (facts.serial.empty()) facts.serial = readAttribute(dir + "/serial");
    return facts;
}

std::vector<uint8_t> deviceDescriptor(const StorageFacts& facts) {
    constexpr size_t kHeader = 40;
    std::vector<uint8_t> bytes(kHeader, 0);
    auto addString = [&bytes](const std::string& text, size_t offsetField) {
        if (text.empty()) return;  // offset 0: the device reports no such string
        codec::putLe32(&bytes[offsetField], uint32_t(bytes.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    };
    addString(facts.vendor, 12);
    addString(facts.product, 16);
    addString(facts.revision, 20);
    addString(facts.serial, 24);
    codec::putLe32(&bytes[0], uint32_t(kHeader));
    codec::putLe32(&bytes[4], uint32_t(bytes.size()));
    bytes[8] = facts.deviceType;
    bytes[9] = 0;
    bytes[10] = facts.removableMedia ? 1 : 0;
    bytes[11] = 0;
    codec::putLe32(&bytes[28], facts.busType);
    codec::putLe32(&bytes[32], 0);
    return bytes;
}

std::string diskSysfsDirOf(LinuxContext& ctx, const HandleEntry& handle) {
    if (handle.kind == HandleKind::Device && handle.target) return handle.target->sysfsDisk;
    if (handle.kind == HandleKind::PhysicalDisk) {
        std::string name = handle.node.substr(handle.node.find_last_of('/') + 1);
        return resolveUnderRoot(ctx.options().sysRoot, "/sys/block/" + name);
    }
    return {};
}

BOOL storagePropertyQuery(LinuxContext& ctx, HandleEntry& handle, const void* in, DWORD inSize, void* out,
                          DWORD outSize, DWORD* returned) {
    // STORAGE_PROPERTY_QUERY: PropertyId, QueryType, AdditionalParameters.
    if (!in || inSize < 8) {
        ctx.setLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto* query = static_cast<const uint8_t*>(in);
    uint32_t propertyId = codec::getLe32(query), queryType = codec::getLe32(query + 4);
    if (propertyId == platform::StorageAdapterProtocolSpecificProperty ||
        propertyId == platform::StorageDeviceProtocolSpecificProperty)
        return nvmeProtocolQuery(ctx, handle, in, inSize, out, outSize, returned);
    if (propertyId != platform::StorageDeviceProperty || queryType > 1) {
        ctx.setLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    std::string dir = diskSysfsDirOf(ctx, handle);
    if (dir.empty() || !pathExists(dir)) {
        ctx.setLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (queryType == 1) {  // PropertyExistsQuery
        if (returned) *returned = 0;
        ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }
    if (!out || outSize < 8) {
        ctx.setLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto& known = ctx.letters().storageFacts;
    auto cached = known.find(dir);
    if (cached == known.end()) cached = known.emplace(dir, storageFactsOf(ctx.options().sysRoot, dir)).first;
    std::vector<uint8_t> descriptor = deviceDescriptor(cached->second);
    size_t n = std::min<size_t>(descriptor.size(), outSize);
    std::memcpy(out, descriptor.data(), n);
    if (returned) *returned = DWORD(n);
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace zv::lnx
