// Block devices as sysfs shows them: kernel name, numbers, whole disk, removable flag.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zv::lnx {

enum class BlockKind { Disk, Optical, Floppy, Ram, Loop, Mapper, Raid };

struct BlockDevice {
    std::string name;          // kernel name ("sdb1")
    std::string sysfsDir;      // its sysfs directory, links resolved, under the system root
    unsigned major = 0;
    unsigned minor = 0;
    int partition = 0;         // 0 for a whole disk
    std::string diskName;      // the whole disk ("sdb"); the device itself for a whole disk
    std::string diskSysfsDir;
    BlockKind kind = BlockKind::Disk;
    bool removable = false;    // the disk's removable-medium flag
    uint64_t sizeBytes = 0;    // 0: no medium
    unsigned logicalBlockSize = 512;

    std::string node() const { return "/dev/" + name; }
    std::string diskNode() const { return "/dev/" + diskName; }
};

std::optional<BlockDevice> blockDeviceByNumber(const std::string& sysRoot, unsigned major, unsigned minor);
std::optional<BlockDevice> blockDeviceByName(const std::string& sysRoot, const std::string& name);
// The device a mount source names ("/dev/sdb1", "/dev/mapper/vg-home", "/dev/disk/by-uuid/..."),
// resolved through the links under the system root.
std::optional<BlockDevice> blockDeviceForSource(const std::string& sysRoot, const std::string& source);
// Every entry of /sys/block, in natural order of the kernel names.
std::vector<BlockDevice> allWholeDevices(const std::string& sysRoot);
// The whole devices that are drives with a letter of their own whether or not a medium is
// mounted: optical, floppy and removable disks. Reads the few attributes that decide this
// for every entry of /sys/block and everything else only for those drives (a machine has
// many loop and RAM devices that never get a letter of their own).
std::vector<BlockDevice> removableMediaDrives(const std::string& sysRoot);
// Order of disk names: sd/vd/hd/xvd disks by the number their letters spell (sdz < sdaa),
// other names in natural order (nvme2n1 < nvme10n1); families alphabetically.
bool diskNameLess(const std::string& a, const std::string& b);
// Kernel names of physical disks (no loop, ram, zram, device-mapper, md, optical), in
// diskNameLess order: index N is "\\.\PhysicalDriveN".
std::vector<std::string> physicalDiskNames(const std::string& sysRoot);

BlockKind kindOfDiskName(const std::string& name, const std::string& diskSysfsDir);

}  // namespace zv::lnx
