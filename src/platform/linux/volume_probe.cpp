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

bool probeWithBlkid(const std::string& path, VolumeIdentity& identity) {
    if (::access(path.c_str(), R_OK) != 0) return false;
    blkid_probe probe = blkid_new_probe_from_filename(path.c_str());
    if (!probe) return false;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_LABEL | BLKID_SUBLKS_UUID | BLKID_SUBLKS_TYPE |
                                                 BLKID_SUBLKS_VERSION | BLKID_SUBLKS_SECTYPE);
    bool found = blkid_do_safeprobe(probe) == 0;
    if (found) {
        identity.type = lookup(probe, "TYPE");
        identity.version = lookup(probe, "VERSION");
        identity.label = lookup(probe, "LABEL");
        identity.uuid = lookup(probe, "UUID");
        identity.known = true;
    }
    blkid_free_probe(probe);
    return found;
}

}  // namespace

VolumeIdentity probeVolume(const std::string& sysRoot, const std::string& node, unsigned major, unsigned minor) {
    VolumeIdentity identity;
    std::string path = sysRoot == "/" ? node : sysRoot + node;
    if (!node.empty() && probeWithBlkid(path, identity)) return identity;
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
