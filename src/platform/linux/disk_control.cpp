// Physical-disk requests on the real machine: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

bool diskDeviceControl(LinuxContext&, HandleEntry&, DWORD, const void*, DWORD, void*, DWORD, DWORD*, BOOL*) {
    return false;
}

}  // namespace zv::lnx
