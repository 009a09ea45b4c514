// Volume identity from libblkid or, without read access to the device, from udev.
#include "platform/linux/volume_probe.h"

#include "platform/linux/udev_db.h"

#include <blkid/blkid.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

std::string lookup(blkid_probe probe, const char* name) {
    const char* value = nullptr;
    size_t length = 0;
    if (blkid_probe_lookup_value(probe, name, &value, &length) != 0 || !value) return {};
    std::string text(value, length);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

// libblkid's name of a mounted file-system type; empty where the kernel's name says
// nothing about the superblock (FUSE).
std::string blkidTypeOf(const std::string& mountedType) {
    if (mountedType.empty() || mountedType.rfind("fuse", 0) == 0) return {};
    if (mountedType == "ntfs3") return "ntfs";
    if (mountedType == "msdos" || mountedType == "fat") return "vfat";
    return mountedType;
}

enum class ProbeResult { Found, NotFound, Unreadable };

ProbeResult probeWithBlkid(const std::string& path, VolumeIdentity& identity, const std::string& onlyType) {
    if (::access(path.c_str(), R_OK) != 0) return ProbeResult::Unreadable;
    blkid_probe probe = blkid_new_probe_from_filename(path.c_str());
    if (!probe) return ProbeResult::Unreadable;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE |
                                                 BLKID_SUBLKS_VERSION | BLKID_SUBLKS_SECTYPE);
    if (!onlyType.empty()) {
        char* names[] = {const_cast<char*>(onlyType.c_str()), nullptr};
        blkid_probe_filter_superblocks_type(probe, BLKID_FLTR_ONLYIN, names);
    }
    bool found = blkid_do_safeprobe(probe) == 0;
    if (found) {
        identity.type = lookup(probe, "TYPE");
        identity.version = lookup(probe, "VERSION");
        identity.label = lookup(probe, "LABEL");
        identity.uuid = lookup(probe, "UUID");
        identity.known = true;
    }
    blkid_free_probe(probe);
    return found ? ProbeResult::Found : ProbeResult::NotFound;
}

}  // namespace

VolumeIdentity probeVolume(const std::string& sysRoot, const std::string& node, unsigned major, unsigned minor,
                           const std::string& mountedType) {
    VolumeIdentity identity;
    std::string path = sysRoot == "/" ? node : sysRoot + node;
    const std::string hint = blkidTypeOf(mountedType);
    // The mounted type is tried first; every type only when that finds nothing. A device
    // that cannot be opened (no rights) is not tried a second time.
    ProbeResult result = ProbeResult::Unreadable;
    if (!node.empty() && !hint.empty()) result = probeWithBlkid(path, identity, hint);
    if (result == ProbeResult::Found) return identity;
    if (!node.empty() && (hint.empty() || result == ProbeResult::NotFound) &&
        probeWithBlkid(path, identity, {}) == ProbeResult::Found)
        return identity;
    UdevRecord record = readUdevRecord(sysRoot, major, minor);
    if (!record.present || record.value("ID_FS_TYPE").empty()) return identity;
    identity.type = record.value("ID_FS_TYPE");
    identity.version = record.value("ID_FS_VERSION");
    identity.label = record.decoded("ID_FS_LABEL");
    identity.uuid = record.decoded("ID_FS_UUID");
    identity.known = true;
    return identity;
}

}  // namespace zv::lnx
