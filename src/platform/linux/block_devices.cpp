// Block devices from sysfs.
#include "platform/linux/block_devices.h"

#include "platform/linux/sysfs.h"

#include <algorithm>

namespace zv::lnx {

namespace {

std::string rootPrefix(const std::string& sysRoot) {
    std::string root = sysRoot;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root == "/" ? std::string() : root;
}

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parentDir(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::optional<BlockDevice> fromSysfsDir(const std::string& dir) {
    if (dir.empty() || !pathExists(dir + "/dev")) return std::nullopt;
    BlockDevice device;
    device.sysfsDir = dir;
    device.name = baseName(dir);
    std::string numbers = readAttribute(dir + "/dev");
    size_t colon = numbers.find(':');
    if (colon == std::string::npos) return std::nullopt;
    device.major = unsigned(std::stoul(numbers.substr(0, colon)));
    device.minor = unsigned(std::stoul(numbers.substr(colon + 1)));
    device.partition = int(readNumber(dir + "/partition", 0));
    if (device.partition > 0) {
        device.diskSysfsDir = parentDir(dir);
        device.diskName = baseName(device.diskSysfsDir);
    } else {
        device.diskSysfsDir = dir;
        device.diskName = device.name;
    }
    device.kind = kindOfDiskName(device.diskName, device.diskSysfsDir);
    device.removable = readNumber(device.diskSysfsDir + "/removable", 0) == 1;
    // sysfs sizes are 512-byte units whatever the sector size.
    device.sizeBytes = uint64_t(std::max<int64_t>(0, readNumber(dir + "/size", 0))) * 512u;
    device.logicalBlockSize = unsigned(readNumber(device.diskSysfsDir + "/queue/logical_block_size", 512));
    if (device.logicalBlockSize == 0) device.logicalBlockSize = 512;
    return device;
}

// "sdab" -> ("sd", 28): the letters after the driver's prefix count in base 26 without zero.
bool lettersIndex(const std::string& name, std::string* family, uint64_t* index) {
    for (const char* prefix : {"xvd", "sd", "vd", "hd"}) {
        std::string p = prefix;
        if (name.rfind(p, 0) != 0 || name.size() == p.size()) continue;
        uint64_t value = 0;
        for (size_t i = p.size(); i < name.size(); ++i) {
            if (name[i] < 'a' || name[i] > 'z') return false;
            value = value * 26 + uint64_t(name[i] - 'a' + 1);
        }
        *family = p;
        *index = value;
        return true;
    }
    return false;
}

}  // namespace

bool diskNameLess(const std::string& a, const std::string& b) {
    std::string fa, fb;
    uint64_t ia = 0, ib = 0;
    bool la = lettersIndex(a, &fa, &ia), lb = lettersIndex(b, &fb, &ib);
    if (la && lb && fa == fb) return ia < ib;
    std::string familyA = la ? fa : a, familyB = lb ? fb : b;
    if (la || lb) {
        if (familyA != familyB) return naturalLess(familyA, familyB);
        return la < lb;
    }
    return naturalLess(a, b);
}

BlockKind kindOfDiskName(const std::string& name, const std::string& diskSysfsDir) {
    if (startsWith(name, "sr") || readNumber(diskSysfsDir + "/device/type", -1) == 5) return BlockKind::Optical;
    if (startsWith(name, "fd")) return BlockKind::Floppy;
    if (startsWith(name, "zram") || startsWith(name, "ram")) return BlockKind::Ram;
    if (startsWith(name, "loop")) return BlockKind::Loop;
    if (startsWith(name, "dm-")) return BlockKind::Mapper;
    if (startsWith(name, "md")) return BlockKind::Raid;
    return BlockKind::Disk;
}

std::optional<BlockDevice> blockDeviceByNumber(const std::string& sysRoot, unsigned major, unsigned minor) {
    if (major == 0) return std::nullopt;  // anonymous devices (btrfs, FUSE, network) have no node
    std::string link = "/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    return fromSysfsDir(resolveUnderRoot(sysRoot, link));
}

std::optional<BlockDevice> blockDeviceByName(const std::string& sysRoot, const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    auto device = fromSysfsDir(resolveUnderRoot(sysRoot, "/sys/class/block/" + name));
    if (!device) device = fromSysfsDir(resolveUnderRoot(sysRoot, "/sys/block/" + name));
    return device;
}

std::optional<BlockDevice> blockDeviceForSource(const std::string& sysRoot, const std::string& source) {
    if (!startsWith(source, "/dev/")) return std::nullopt;
    std::string resolved = resolveUnderRoot(sysRoot, source);
    std::string prefix = rootPrefix(sysRoot);
    std::string name = baseName(resolved.empty() ? source : resolved);
    if (!resolved.empty() && !prefix.empty() && resolved.rfind(prefix, 0) != 0) return std::nullopt;
    return blockDeviceByName(sysRoot, name);
}

std::vector<BlockDevice> allWholeDevices(const std::string& sysRoot) {
    std::vector<BlockDevice> devices;
    std::vector<std::string> names = listDirectory(rootPrefix(sysRoot) + "/sys/block");
    std::sort(names.begin(), names.end(), naturalLess);
    for (const auto& name : names)
        if (auto device = fromSysfsDir(resolveUnderRoot(sysRoot, "/sys/block/" + name))) devices.push_back(*device);
    return devices;
}

namespace {

// Whether /sys/block/<name> may be an optical, floppy or removable drive, from its name and
// at most two attribute files. Virtual families (loop, RAM, device-mapper, md) have no
// device behind them and are never such a drive. When the attributes cannot be read through
// the link (a copied sysfs tree with absolute links), the full read decides.
bool mayBeRemovableMediaDrive(const std::string& blockDir, const std::string& name) {
    for (const char* virtualFamily : {"loop", "zram", "ram", "dm-", "md"})
        if (startsWith(name, virtualFamily)) return false;
    if (startsWith(name, "sr") || startsWith(name, "fd")) return true;
    const int64_t removable = readNumber(blockDir + "/removable", -1);
    return removable != 0 || readNumber(blockDir + "/device/type", -1) == 5;
}

bool isRemovableMediaDrive(const BlockDevice& disk) {
    return disk.kind == BlockKind::Optical || disk.kind == BlockKind::Floppy ||
           (disk.kind == BlockKind::Disk && disk.removable);
}

}  // namespace

std::vector<BlockDevice> removableMediaDrives(const std::string& sysRoot) {
    std::vector<BlockDevice> drives;
    const std::string blockFolder = rootPrefix(sysRoot) + "/sys/block";
    std::vector<std::string> names = listDirectory(blockFolder);
    std::sort(names.begin(), names.end(), naturalLess);
    for (const auto& name : names) {
        if (!mayBeRemovableMediaDrive(blockFolder + "/" + name, name)) continue;
        auto device = fromSysfsDir(resolveUnderRoot(sysRoot, "/sys/block/" + name));
        if (device && isRemovableMediaDrive(*device)) drives.push_back(*device);
    }
    return drives;
}

std::vector<std::string> physicalDiskNames(const std::string& sysRoot) {
    std::vector<std::string> names;
    for (const auto& device : allWholeDevices(sysRoot))
        if (device.kind == BlockKind::Disk) names.push_back(device.name);
    std::sort(names.begin(), names.end(), diskNameLess);
    return names;
}

}  // namespace zv::lnx
