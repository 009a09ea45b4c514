#include "platform/linux/nvme_admin.h"

#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

namespace zv::lnx {

namespace {

constexpr uint32_t kTimeoutMs = 60000;  // a controller busy with background work answers late

}  // namespace

NvmeAdminCommand nvmeGetLogPage(uint8_t logId, uint32_t nsid, uint32_t dataLength, uint64_t offset) {
    const uint32_t dwords = dataLength / 4 - 1;
    NvmeAdminCommand c;
    c.opcode = kNvmeAdminGetLogPage;
    c.nsid = nsid;
    c.cdw10 = ((dwords & 0xFFFFu) << 16) | logId;
    c.cdw11 = dwords >> 16;
    c.cdw12 = uint32_t(offset);
    c.cdw13 = uint32_t(offset >> 32);
    c.dataLength = dataLength;
    return c;
}

NvmeAdminCommand nvmeIdentify(uint8_t cns, uint32_t nsid) {
    NvmeAdminCommand c;
    c.opcode = kNvmeAdminIdentify;
    c.nsid = nsid;
    c.cdw10 = cns;
    c.dataLength = 4096;
    return c;
}

NvmeOutcome sendNvmeAdmin(SysSeam& seam, int fd, const NvmeAdminCommand& command, uint8_t* data) {
    nvme_admin_cmd cmd;
    std::memset(&cmd, 0, sizeof cmd);
    cmd.opcode = command.opcode;
    cmd.nsid = command.nsid;
    cmd.addr = reinterpret_cast<uintptr_t>(data);
    cmd.data_len = command.dataLength;
    cmd.cdw10 = command.cdw10;
    cmd.cdw11 = command.cdw11;
    cmd.cdw12 = command.cdw12;
    cmd.cdw13 = command.cdw13;
    cmd.cdw14 = command.cdw14;
    cmd.timeout_ms = kTimeoutMs;
    NvmeOutcome outcome;
    const int answer = seam.ioctl(fd, NVME_IOCTL_ADMIN_CMD, &cmd);
    if (answer < 0) {
        outcome.errnoValue = errno ? errno : EIO;
        return outcome;
    }
    // A positive answer is the status field of the completion (status code and type).
    outcome.status = uint32_t(answer);
    outcome.result = cmd.result;
    return outcome;
}

uint32_t nvmeNamespaceId(SysSeam& seam, int fd) {
    const int answer = seam.ioctl(fd, NVME_IOCTL_ID, nullptr);
    return answer > 0 ? uint32_t(answer) : 0;
}

}  // namespace zv::lnx
