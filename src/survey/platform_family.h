// The operating-system family, which selects between the two implementations of the
// substitute unit and the wide or 8-bit device open.
#pragma once

#include "platform/api/platform.h"

namespace zv::survey {

// True on the NT family (platform id 2). A failed version query counts as the NT family:
// every backend of this system answers the NT calls, while the older family's DOS services
// exist only where the machine says so.
bool isNtFamily(platform::Platform& platform);

// True when the system is Linux: its version text names the Linux kernel ("Linux 6.1.0"), as
// the Linux backend's does. Messages that would describe Windows behaviour describe Linux's
// instead. A failed version query counts as not Linux.
bool isLinuxSystem(platform::Platform& platform);

}  // namespace zv::survey
