// The right to send raw commands to optical drives: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

bool hasOpticalCommandRights(LinuxContext&) { return false; }

}  // namespace zv::lnx
