// Eject, load and door lock on the real machine: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

bool mediaDeviceControl(LinuxContext&, HandleEntry&, DWORD, const void*, DWORD, void*, DWORD, DWORD*, BOOL*) {
    return false;
}

}  // namespace zv::lnx
