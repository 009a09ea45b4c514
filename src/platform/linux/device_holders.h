// Which processes hold a device node open, read from /proc/<pid>/fd.
#pragma once

#include <string>

namespace zv::lnx {

// True when a process other than `ownPid` has `node` (a path such as "/dev/sr0") open. The
// process table is read under `procRoot` ("/proc" on the machine). An fd counts when its link
// names the node, or when both are block devices with the same device number (a node reached
// through another name). Processes whose fds this user may not read are not seen.
bool otherProcessHoldsDevice(const std::string& procRoot, const std::string& node, const std::string& nodeOnDisk,
                             long ownPid);

}  // namespace zv::lnx
