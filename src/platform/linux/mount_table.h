// The mount table and the file-system table.
#pragma once

#include <string>
#include <vector>

namespace zv::lnx {

struct MountEntry {
    int id = 0;
    int parentId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;      // directory of the file system that forms the mount's root
    std::string target;    // mount point
    std::string source;    // "/dev/sdb1", "server:/export", "//host/share", "tmpfs"
    std::string fsType;
    std::string options;   // the mount's own options ("rw,relatime")
    bool readOnly = false;
    bool netfs = false;    // a network file-system type (isNetworkFsType)
    bool pseudo = false;   // a file system of the kernel's own views (proc, sysfs, cgroup ...)
    bool netdev = false;   // fstab option _netdev
};

// Entries of /proc/self/mountinfo (or any mount table file); empty when unreadable.
std::vector<MountEntry> readMountTable(const std::string& path);
// Entries of an fstab file; empty when unreadable.
std::vector<MountEntry> readFstab(const std::string& path);

// File-system types whose mounts are network connections: the kernel's network clients
// and the FUSE clients of remote stores (ceph, davfs, rclone ...).
bool isNetworkFsType(const std::string& fsType);
// RAM-backed file systems that carry no device.
bool isRamFsType(const std::string& fsType);

}  // namespace zv::lnx
