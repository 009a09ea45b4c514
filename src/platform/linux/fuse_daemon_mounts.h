// Programs that hold a block device open: FUSE file-system daemons (fusefat, exFAT through
// FUSE) mount a device without naming it in the mount table, so only their open files show
// that the device is in use.
#pragma once

#include "platform/linux/mount_table.h"

#include <string>
#include <vector>

namespace zv::lnx {

struct DeviceHolder {
    int pid = 0;
    std::string name;                    // the program's name (comm)
    std::vector<std::string> arguments;  // its command line, argv[0] first
    std::string workingFolder;           // where its relative arguments start from
};

// Processes other than this one with `devNode` open, found through /proc/PID/fd under
// `procRoot` ("/proc"); empty when none or when /proc cannot be read.
std::vector<DeviceHolder> deviceHolders(const std::string& devNode, const std::string& procRoot = "/proc");

// The FUSE mount served by one of `holders`: a FUSE mount whose mount point is among the
// holder's arguments (FUSE daemons take it on their command line; relative ones start from
// the holder's working folder), else the only FUSE mount named after a holder (its source
// or its type "fuse.NAME": a daemon that changed folder after starting); nullptr when none
// or when that is ambiguous.
const MountEntry* fuseMountOfHolders(const std::vector<MountEntry>& mounts, const std::vector<DeviceHolder>& holders);

}  // namespace zv::lnx
