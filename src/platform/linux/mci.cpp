// The multimedia door commands on the real machine: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

DWORD linuxMciSendString(LinuxContext&, const char*, char*, UINT) { return MCIERR_UNSUPPORTED_FUNCTION; }
DWORD linuxMciSendCommand(LinuxContext&, MCIDEVICEID, UINT, DWORD, void*) { return MCIERR_UNSUPPORTED_FUNCTION; }

}  // namespace zv::lnx
