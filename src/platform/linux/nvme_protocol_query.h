// IOCTL_STORAGE_QUERY_PROPERTY with the protocol-specific property identifiers on an NVMe
// disk: the STORAGE_PROTOCOL_SPECIFIC_DATA request turned into an NVMe admin command (Identify
// or Get Log Page) and the answer laid out as STORAGE_PROTOCOL_DATA_DESCRIPTOR and data.
#pragma once

#include "platform/linux/linux_context.h"

namespace zv::lnx {

// TRUE and the descriptor with the data, or FALSE with the error set: ERROR_NOT_SUPPORTED
// for a disk that is no NVMe disk or a request other than NVMe Identify and Get Log Page,
// ERROR_INVALID_PARAMETER for a malformed request, ERROR_INSUFFICIENT_BUFFER when the reply
// does not fit, ERROR_ACCESS_DENIED without the right to send admin commands,
// ERROR_IO_DEVICE when the controller fails the command.
BOOL nvmeProtocolQuery(LinuxContext& ctx, HandleEntry& handle, const void* in, DWORD inSize, void* out,
                       DWORD outSize, DWORD* returned);

}  // namespace zv::lnx
