// Taking a volume off its mount points for a check with fixing, and mounting it again
// where it was afterwards.
#pragma once

#include "platform/linux/linux_context.h"

#include <string>
#include <vector>

namespace zv::lnx {

struct VolumeMount {
    std::string device;   // "/dev/sdb1"
    std::string target;   // "/media/data"
    std::string options;  // the mount's own options ("rw,nosuid,relatime")
};

// Every mount of the volume of `letter` (by its device or its mount source), deepest
// mount point first; empty when it is not mounted.
std::vector<VolumeMount> mountsOfVolume(LinuxContext& ctx, char letter);

// Unmounts every mount of the volume and remembers them for `remountVolume`. On a failure
// (a mount that is busy) the mounts already taken off are mounted again and the errno
// value is returned; 0 on success.
int dismountVolume(LinuxContext& ctx, char letter);

// Mounts again what `dismountVolume` took off for `letter`; 0 on success (also when there
// is nothing to mount), else the errno value or EIO when mount(8) failed.
int remountVolume(LinuxContext& ctx, char letter);

}  // namespace zv::lnx
