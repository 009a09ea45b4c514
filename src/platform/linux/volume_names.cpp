// Volume names on the real machine: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

std::vector<std::string> linuxVolumeNames(LinuxContext&) { return {}; }

}  // namespace zv::lnx
