// Candidates for a letter from the mount table, sysfs and fstab.
#include "platform/linux/volume_candidates.h"

#include "platform/linux/fuse_daemon_mounts.h"
#include "platform/linux/remote_probe.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/udev_db.h"
#include "platform/linux/unmounted_volumes.h"
#include "platform/linux/unc_names.h"

#include <algorithm>
#include <map>
#include <set>
#include <sys/stat.h>

namespace zv::lnx {

namespace {

enum Group { RootGroup, FixedGroup, RemovableGroup, OpticalGroup, LoopGroup, RamDeviceGroup, NetworkGroup,
             RamFsGroup, RememberedGroup };

bool under(const std::string& path, const char* place) {
    std::string p = place;
    return path == p || path.rfind(p + "/", 0) == 0;
}

// Places where the system and its containers mount their own RAM file systems.
bool isSystemPlace(const std::string& target) {
    static const char* const kTrees[] = {"/dev", "/run", "/sys", "/proc", "/var/run", "/var/lock", "/var/lib/docker", "/snap"};
    for (const char* place : kTrees)
        if (under(target, place)) return true;
    // The temporary folders themselves; a RAM disk mounted below them is the user's.
    return target == "/tmp" || target == "/var/tmp";
}

UINT driveTypeOfDevice(const BlockDevice& device) {
    switch (device.kind) {
    case BlockKind::Optical: return DRIVE_CDROM;
    case BlockKind::Floppy: return DRIVE_REMOVABLE;
    case BlockKind::Ram: return DRIVE_RAMDISK;
    default: return device.removable ? DRIVE_REMOVABLE : DRIVE_FIXED;
    }
}

Group groupOfDevice(const BlockDevice& device) {
    switch (device.kind) {
    case BlockKind::Optical: return OpticalGroup;
    case BlockKind::Floppy: return RemovableGroup;
    case BlockKind::Ram: return RamDeviceGroup;
    case BlockKind::Loop: return LoopGroup;
    default: return device.removable ? RemovableGroup : FixedGroup;
    }
}

// A name for the drive that survives re-plugging: its serial, else its port, else its
// place in sysfs.
std::string deviceIdentity(const std::string& sysRoot, const BlockDevice& device) {
    std::string numbers = readAttribute(device.diskSysfsDir + "/dev");
    size_t colon = numbers.find(':');
    if (colon != std::string::npos) {
        UdevRecord record = readUdevRecord(sysRoot, unsigned(std::stoul(numbers.substr(0, colon))),
                                           unsigned(std::stoul(numbers.substr(colon + 1))));
        if (!record.value("ID_SERIAL").empty()) return "serial:" + record.value("ID_SERIAL");
        if (!record.value("ID_PATH").empty()) return "path:" + record.value("ID_PATH");
    }
    if (device.kind == BlockKind::Loop) {
        std::string backing = readAttribute(device.diskSysfsDir + "/loop/backing_file");
        if (!backing.empty()) return "loop:" + backing;
    }
    std::string dir = device.diskSysfsDir;
    size_t pos = dir.find("/sys/devices/");
    return "sysfs:" + (pos == std::string::npos ? device.diskName : dir.substr(pos + 13));
}

void fillFromDevice(LetterEntry& entry, const BlockDevice& device) {
    entry.device = device;
    entry.target.devNode = device.node();
    entry.target.diskNode = device.diskNode();
    entry.target.sysfsDevice = device.sysfsDir;
    entry.target.sysfsDisk = device.diskSysfsDir;
    entry.target.partitionNumber = device.partition;
}

std::string rootPrefix(const std::string& sysRoot) {
    std::string root = sysRoot;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root == "/" ? std::string() : root;
}

std::string underRoot(const std::string& sysRoot, const std::string& absolute) {
    std::string prefix = rootPrefix(sysRoot);
    if (prefix.empty()) return absolute;
    return absolute == "/" ? prefix : prefix + absolute;
}

// Mount entries another mount hides: same mount point, and the other one is its child.
std::vector<const MountEntry*> visibleMounts(const std::vector<MountEntry>& mounts) {
    std::vector<const MountEntry*> visible;
    for (const auto& entry : mounts) {
        bool hidden = std::any_of(mounts.begin(), mounts.end(), [&](const MountEntry& other) {
            return &other != &entry && other.target == entry.target && other.parentId == entry.id;
        });
        if (!hidden) visible.push_back(&entry);
    }
    return visible;
}

// Of several mounts of one file system the one nearest its root and with the shortest path
// stands for the volume (as df chooses).
bool betterMount(const MountEntry& a, const MountEntry& b) {
    bool aRoot = a.root == "/", bRoot = b.root == "/";
    if (aRoot != bRoot) return aRoot;
    if (a.target.size() != b.target.size()) return a.target.size() < b.target.size();
    return a.target < b.target;
}

// A FUSE mount whose source names no device ("fusefat"): its daemon opened the device itself.
bool isNamelessFuseMount(const MountEntry& mount) {
    return mount.fsType.rfind("fuse.", 0) == 0 && !mount.source.empty() && mount.source[0] != '/';
}

// The devices that FUSE daemons mounted without naming them in the mount table, by the mount
// each serves; those devices leave `unmounted`. Asked only when such a mount exists, because
// finding a device's holders reads every process's open files.
std::map<const MountEntry*, BlockDevice> devicesOfNamelessFuseMounts(const std::string& sysRoot,
                                                                     const std::vector<MountEntry>& mounts,
                                                                     std::vector<VolumeCandidate>& unmounted) {
    std::map<const MountEntry*, BlockDevice> served;
    if (std::none_of(mounts.begin(), mounts.end(), isNamelessFuseMount)) return served;
    for (auto it = unmounted.begin(); it != unmounted.end();) {
        const BlockDevice& device = *it->entry.device;
        const MountEntry* mount = fuseMountOfHolders(mounts, deviceHolders(device.node(), underRoot(sysRoot, "/proc")));
        if (mount && isNamelessFuseMount(*mount) && !served.count(mount)) {
            served[mount] = device;
            it = unmounted.erase(it);
        } else {
            ++it;
        }
    }
    return served;
}

std::optional<VolumeCandidate> candidateForMount(const std::string& sysRoot, const MountEntry& mount,
                                                 const BlockDevice* servedDevice = nullptr) {
    VolumeCandidate candidate;
    LetterEntry& entry = candidate.entry;
    entry.target.mountPoint = mount.target;
    entry.target.source = mount.source;
    entry.target.fsType = mount.fsType;
    entry.readOnly = mount.readOnly;
    entry.hostRoot = underRoot(sysRoot, mount.target);
    candidate.isRoot = mount.target == "/";
    candidate.sortName = mount.target;

    std::optional<BlockDevice> device = blockDeviceByNumber(sysRoot, mount.major, mount.minor);
    if (!device) device = blockDeviceForSource(sysRoot, mount.source);
    if (!device && servedDevice) device = *servedDevice;

    if (device && !mount.netfs) {
        if (under(mount.target, "/proc") || under(mount.target, "/sys") || under(mount.target, "/dev") ||
            under(mount.target, "/snap"))
            return std::nullopt;
        if (mount.root != "/" && !candidate.isRoot) {
            // A file or folder of a volume bound elsewhere (containers bind /etc/hosts so). A
            // FUSE volume (ntfs-3g) is not asked: its daemon may not answer.
            struct stat st;
            if (!needsDeadline(mount.fsType, false) && ::stat(entry.hostRoot.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
                return std::nullopt;
        }
        fillFromDevice(entry, *device);
        entry.target.driveType = driveTypeOfDevice(*device);
        entry.identity = probeVolume(sysRoot, device->node(), device->major, device->minor, mount.fsType);
        entry.key = entry.identity.uuid.empty() ? "dev:" + deviceIdentity(sysRoot, *device) +
                                                      "#" + std::to_string(device->partition)
                                                : "uuid:" + entry.identity.uuid;
        candidate.group = candidate.isRoot ? RootGroup : groupOfDevice(*device);
        candidate.sortName = device->name;
        return candidate;
    }
    if (mount.netfs) {
        entry.target.driveType = DRIVE_REMOTE;
        entry.target.network = true;
        entry.target.remoteName = uncNameForSource(mount.source, mount.fsType);
        entry.key = "net:" + mount.source;
        candidate.group = candidate.isRoot ? RootGroup : NetworkGroup;
        return candidate;
    }
    if (isRamFsType(mount.fsType)) {
        // A read-only RAM file system holds nothing a user put there: containers mask paths so.
        if (!candidate.isRoot && (mount.readOnly || isSystemPlace(mount.target))) return std::nullopt;
        entry.target.driveType = DRIVE_RAMDISK;
        entry.key = "ram:" + mount.target;
        candidate.group = candidate.isRoot ? RootGroup : RamFsGroup;
        return candidate;
    }
    if (candidate.isRoot) {  // overlay or another file system without a device at "/"
        entry.target.driveType = DRIVE_FIXED;
        candidate.group = RootGroup;
        return candidate;
    }
    return std::nullopt;
}

}  // namespace

std::vector<VolumeCandidate> collectVolumes(const std::string& sysRoot, const std::vector<MountEntry>& mounts,
                                            const std::vector<MountEntry>& fstab) {
    // One mount per file system (bind mounts and second mounts dropped).
    std::map<std::pair<unsigned, unsigned>, const MountEntry*> chosen;
    std::vector<const MountEntry*> order;
    for (const MountEntry* mount : visibleMounts(mounts)) {
        auto id = std::make_pair(mount->major, mount->minor);
        auto it = chosen.find(id);
        if (it == chosen.end()) {
            chosen[id] = mount;
            order.push_back(mount);
        } else if (betterMount(*mount, *it->second)) {
            std::replace(order.begin(), order.end(), it->second, mount);
            it->second = mount;
        }
    }
    // File systems that are not mounted but can be checked and fixed ("Not mounted" rows,
    // added below), less the devices that FUSE daemons mounted without naming them.
    std::vector<VolumeCandidate> unmounted = unmountedVolumes(sysRoot, mounts);
    const std::map<const MountEntry*, BlockDevice> served = devicesOfNamelessFuseMounts(sysRoot, mounts, unmounted);

    std::vector<VolumeCandidate> candidates;
    for (const MountEntry* mount : order) {
        const auto it = served.find(mount);
        if (auto candidate = candidateForMount(sysRoot, *mount, it == served.end() ? nullptr : &it->second))
            candidates.push_back(std::move(*candidate));
    }

    // Removable, optical and floppy drives have a letter with or without a mounted medium;
    // the drive's first mounted volume carries the drive's own name.
    for (const BlockDevice& disk : removableMediaDrives(sysRoot)) {
        std::string identity = "dev:" + deviceIdentity(sysRoot, disk);
        std::vector<VolumeCandidate*> mine;
        for (auto& candidate : candidates)
            if (candidate.entry.device && candidate.entry.device->diskName == disk.name) mine.push_back(&candidate);
        std::sort(mine.begin(), mine.end(), [](const VolumeCandidate* a, const VolumeCandidate* b) {
            return a->entry.device->partition < b->entry.device->partition;
        });
        if (mine.empty()) {
            VolumeCandidate candidate;
            fillFromDevice(candidate.entry, disk);
            candidate.entry.target.driveType = driveTypeOfDevice(disk);
            candidate.entry.key = identity;
            candidate.group = groupOfDevice(disk);
            candidate.sortName = disk.name;
            candidates.push_back(std::move(candidate));
            continue;
        }
        for (size_t i = 0; i < mine.size(); ++i)
            if (!mine[i]->isRoot)
                mine[i]->entry.key = i == 0 ? identity : identity + "#" + std::to_string(mine[i]->entry.device->partition);
    }

    // File systems that are not mounted but can be checked and fixed: "Not mounted" rows.
    for (VolumeCandidate& candidate : unmounted) {
        candidate.group = groupOfDevice(*candidate.entry.device);
        candidates.push_back(std::move(candidate));
    }

    // Network entries of fstab that are not mounted: remembered connections.
    std::set<std::string> mountedSources, mountedTargets;
    for (const auto& mount : mounts) {
        mountedSources.insert(mount.source);
        mountedTargets.insert(mount.target);
    }
    for (const auto& entry : fstab) {
        if (!(entry.netfs || entry.netdev) || entry.source.empty()) continue;
        if (mountedSources.count(entry.source) || mountedTargets.count(entry.target)) continue;
        VolumeCandidate candidate;
        candidate.entry.remembered = true;
        candidate.entry.target.driveType = DRIVE_NO_ROOT_DIR;
        candidate.entry.target.network = true;
        candidate.entry.target.networkUnavailable = true;
        candidate.entry.target.source = entry.source;
        candidate.entry.target.fsType = entry.fsType;
        candidate.entry.target.remoteName = uncNameForSource(entry.source, entry.fsType);
        candidate.entry.key = "net:" + entry.source;
        candidate.group = RememberedGroup;
        candidate.sortName = entry.target;
        candidates.push_back(std::move(candidate));
    }

    std::stable_sort(candidates.begin(), candidates.end(), [](const VolumeCandidate& a, const VolumeCandidate& b) {
        if (a.group != b.group) return a.group < b.group;
        return naturalLess(a.sortName, b.sortName);
    });
    return candidates;
}

}  // namespace zv::lnx
