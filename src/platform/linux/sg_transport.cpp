// SCSI pass-through on the real machine: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

BOOL scsiPassThrough(LinuxContext& ctx, HandleEntry&, uint8_t*, DWORD, void*, DWORD*) {
    ctx.setLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

}  // namespace zv::lnx
