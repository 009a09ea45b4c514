// Mapping and disconnecting network drives on the real machine: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

DWORD linuxAddConnection(LinuxContext&, const char*, const char*, const char*, DWORD, std::string* message) {
    if (message) *message = "Mapping network drives is not available yet.";
    return ERROR_NOT_SUPPORTED;
}

DWORD linuxCancelConnection(LinuxContext&, const char*, DWORD, BOOL, std::string* message) {
    if (message) *message = "Disconnecting network drives is not available yet.";
    return ERROR_NOT_SUPPORTED;
}

}  // namespace zv::lnx
