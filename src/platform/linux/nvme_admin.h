// NVMe admin commands to a disk on the real machine: NVME_IOCTL_ADMIN_CMD on the namespace
// block device (/dev/nvme0n1) or the controller node (/dev/nvme0), through the ioctl seam.
// The kernel lets only CAP_SYS_ADMIN send Get Log Page; an unprivileged caller gets EACCES.
#pragma once

#include <cstdint>

#include "platform/linux/sys_seam.h"

namespace zv::lnx {

// Admin opcodes and the Get Log Page namespace of the controller as a whole.
inline constexpr uint8_t kNvmeAdminGetLogPage = 0x02;
inline constexpr uint8_t kNvmeAdminIdentify = 0x06;
inline constexpr uint32_t kNvmeAllNamespaces = 0xFFFFFFFFu;

// One admin command that moves `dataLength` bytes from the controller.
struct NvmeAdminCommand {
    uint8_t opcode = 0;
    uint32_t nsid = 0;
    uint32_t cdw10 = 0;
    uint32_t cdw11 = 0;
    uint32_t cdw12 = 0;
    uint32_t cdw13 = 0;
    uint32_t cdw14 = 0;
    uint32_t dataLength = 0;
};

// Get Log Page for `dataLength` bytes (a multiple of 4) of log `logId`: NUMDL in CDW10 bits
// 31:16 (dwords minus one), NUMDU in CDW11, the offset in CDW12/13.
NvmeAdminCommand nvmeGetLogPage(uint8_t logId, uint32_t nsid, uint32_t dataLength, uint64_t offset = 0);
// Identify with `cns` (CDW10 bits 7:0) for namespace `nsid`; always 4096 bytes.
NvmeAdminCommand nvmeIdentify(uint8_t cns, uint32_t nsid);

struct NvmeOutcome {
    int errnoValue = 0;   // the ioctl failed with this errno
    uint32_t status = 0;  // the controller's status field (nonzero: the command failed)
    uint32_t result = 0;  // completion queue entry dword 0
    bool ok() const { return errnoValue == 0 && status == 0; }
};

// Sends the command on `fd`; `data` receives dataLength bytes.
NvmeOutcome sendNvmeAdmin(SysSeam& seam, int fd, const NvmeAdminCommand& command, uint8_t* data);

// The namespace identifier of a namespace block device (NVME_IOCTL_ID); 0 when the node is
// none (a controller node, or the ioctl failed).
uint32_t nvmeNamespaceId(SysSeam& seam, int fd);

}  // namespace zv::lnx
