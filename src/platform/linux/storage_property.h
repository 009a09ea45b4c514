// IOCTL_STORAGE_QUERY_PROPERTY answered from sysfs and the udev database: the device's bus,
// its removable-medium flag and its identification strings.
#pragma once

#include "platform/linux/linux_context.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zv::lnx {

struct StorageFacts {
    uint8_t deviceType = 0;     // SCSI peripheral device type (0 disk, 5 CD/DVD)
    bool removableMedia = false;
    DWORD busType = BusTypeUnknown;
    std::string vendor, product, revision, serial;
};

// The facts of a whole disk given its sysfs directory (links resolved, under the root).
StorageFacts storageFactsOf(const std::string& sysRoot, const std::string& diskSysfsDir);
// The bus by the device's place in sysfs: usb 7, sbp/1394 4, sata 11, ata 3, nvme 17,
// sas 10, iscsi 9, virtio 14, mmc/sd 12, loop 15, other SCSI hosts 1, else 0.
DWORD busTypeOf(const std::string& sysRoot, const std::string& diskSysfsDir);
// STORAGE_DEVICE_DESCRIPTOR byte for byte: 40-byte header (Version, Size, DeviceType,
// modifier, RemovableMedia at 10, CommandQueueing, four string offsets, BusType at 28,
// RawPropertiesLength) followed by the NUL-terminated strings.
std::vector<uint8_t> deviceDescriptor(const StorageFacts& facts);

// The request on a handle: TRUE and the descriptor cut to outSize (at least the 8-byte
// header), or FALSE with the error set.
BOOL storagePropertyQuery(LinuxContext& ctx, HandleEntry& handle, const void* in, DWORD inSize, void* out,
                          DWORD outSize, DWORD* returned);
// The sysfs directory of the disk behind a device handle ("" when none).
std::string diskSysfsDirOf(LinuxContext& ctx, const HandleEntry& handle);

}  // namespace zv::lnx
