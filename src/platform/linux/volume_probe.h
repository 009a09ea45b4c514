// What identifies a file system: type, version, label, UUID. Probed with libblkid where the
// device may be read (root), else taken from the udev database.
#pragma once

#include <string>

namespace zv::lnx {

struct VolumeIdentity {
    std::string type;     // libblkid TYPE ("vfat", "ext4", "ntfs", "iso9660")
    std::string version;  // "FAT32", "FAT16", "1.0" ...
    std::string label;
    std::string uuid;     // as libblkid prints it
    bool known = false;   // some source answered
};

// `node` is the device node as the system names it ("/dev/sdb1"); it is probed under
// `sysRoot` and looked up in the udev database by its numbers. `mountedType` is the type
// the mount table gives, if any: that file system is looked for first, which spares
// reading every other kind of superblock; all kinds are tried when it is not found.
VolumeIdentity probeVolume(const std::string& sysRoot, const std::string& node, unsigned major, unsigned minor,
                           const std::string& mountedType = {});

}  // namespace zv::lnx
