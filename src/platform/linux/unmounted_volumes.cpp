#include "platform/linux/unmounted_volumes.h"

#include "platform/linux/block_devices.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/volume_probe.h"

#include <algorithm>
#include <set>
#include <utility>

namespace zv::lnx {

namespace {

// The partitions of a whole disk, by the "partition" attribute of its sysfs children.
std::vector<BlockDevice> partitionsOf(const std::string& sysRoot, const BlockDevice& disk) {
    std::vector<BlockDevice> partitions;
    for (const std::string& child : listDirectory(disk.sysfsDir)) {
        if (!pathExists(disk.sysfsDir + "/" + child + "/partition")) continue;
        if (auto partition = blockDeviceByName(sysRoot, child)) partitions.push_back(*partition);
    }
    return partitions;
}

// Used by another layer (a device-mapper or RAID device built on it).
bool hasHolders(const BlockDevice& device) { return !listDirectory(device.sysfsDir + "/holders").empty(); }

}  // namespace

bool isCheckableFsType(const std::string& fsType) {
    static const std::set<std::string> kTypes = {"ext2", "ext3", "ext4", "xfs", "btrfs", "vfat", "exfat", "ntfs"};
    return kTypes.count(fsType) > 0;
}

std::vector<VolumeCandidate> unmountedVolumes(const std::string& sysRoot, const std::vector<MountEntry>& mounts) {
    std::set<std::pair<unsigned, unsigned>> mountedNumbers;
    std::set<std::string> mountedSources;
    for (const MountEntry& mount : mounts) {
        mountedNumbers.insert({mount.major, mount.minor});
        mountedSources.insert(mount.source);
    }
    std::vector<VolumeCandidate> candidates;
    for (const BlockDevice& disk : allWholeDevices(sysRoot)) {
        // Removable and optical drives have their letters already; RAM disks hold no
        // file system worth fixing.
        if (disk.removable || (disk.kind != BlockKind::Disk && disk.kind != BlockKind::Loop)) continue;
        std::vector<BlockDevice> volumes = partitionsOf(sysRoot, disk);
        if (volumes.empty()) volumes.push_back(disk);
        for (const BlockDevice& device : volumes) {
            if (device.sizeBytes == 0 || hasHolders(device)) continue;
            if (mountedNumbers.count({device.major, device.minor}) || mountedSources.count(device.node())) continue;
            VolumeIdentity identity = probeVolume(sysRoot, device.node(), device.major, device.minor);
            if (!isCheckableFsType(identity.type)) continue;
            VolumeCandidate candidate;
            LetterEntry& entry = candidate.entry;
            entry.device = device;
            entry.identity = identity;
            entry.target.driveType = DRIVE_FIXED;
            entry.target.fsType = identity.type;
            entry.target.devNode = device.node();
            entry.target.diskNode = device.diskNode();
            entry.target.sysfsDevice = device.sysfsDir;
            entry.target.sysfsDisk = device.diskSysfsDir;
            entry.target.partitionNumber = device.partition;
            entry.key = identity.uuid.empty() ? "dev:" + device.name : "uuid:" + identity.uuid;
            candidate.sortName = device.name;
            candidates.push_back(std::move(candidate));
        }
    }
    return candidates;
}

}  // namespace zv::lnx
