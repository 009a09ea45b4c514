// Who may send raw commands to the optical drives on this machine.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zv::lnx {

// The optical drive nodes under a system root ("/dev/sr0", ...), as host paths.
std::vector<std::string> opticalNodes(const std::string& devFolder);

// The rule: root, or read and write access to at least one optical node (the desktop
// seat's access list, or membership of the cdrom group). `mayReadWrite` is access(2)
// with R_OK|W_OK on the real machine.
bool opticalRightsFor(bool root, const std::vector<std::string>& nodes,
                      const std::function<bool(const std::string&)>& mayReadWrite);

}  // namespace zv::lnx
