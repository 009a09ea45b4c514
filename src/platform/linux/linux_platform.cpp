// The real machine: not built yet.
#include "platform/linux/linux_platform.h"

namespace zv::lnx {

LinuxOptions defaultLinuxOptions() { return {}; }

std::unique_ptr<platform::Platform> makeLinuxPlatform(LinuxOptions) { return nullptr; }

}  // namespace zv::lnx
