// IOCTL_SCSI_PASS_THROUGH_DIRECT through SG_IO (scsi/sg.h). The request block's fields are
// turned into an sg_io_hdr; the outcome is written back into the block as the system does:
// ScsiStatus, SenseInfoLength and the sense bytes at SenseInfoOffset, DataTransferLength as
// the bytes moved.
#include "platform/api/pass_through.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/optical_sg.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <scsi/sg.h>

#include <algorithm>
#include <array>

namespace zv::lnx {

using platform::PassThroughLayout;

bool SgOutcome::carried() const {
    // DRIVER_TIMEOUT in the low nibble of driver_status: the command never completed.
    return delivered && hostStatus == 0 && (driverStatus & 0x0F) != 0x06;
}

uint8_t SgOutcome::senseKey() const {
    if (sense.size() < 3) return 0;
    const uint8_t code = sense[0] & 0x7F;
    if (code == 0x72 || code == 0x73) return sense[1] & 0x0F;
    return sense[2] & 0x0F;
}

uint8_t SgOutcome::additionalSenseCode() const {
    const uint8_t code = sense.empty() ? 0 : sense[0] & 0x7F;
    if (code == 0x72 || code == 0x73) return sense.size() > 2 ? sense[2] : 0;
    return sense.size() > 12 ? sense[12] : 0;
}

DWORD transportError(const SgOutcome& outcome) {
    if (!outcome.delivered) return win32ErrorFromErrno(outcome.error);
    switch (outcome.hostStatus) {
    case 0x03: return ERROR_SEM_TIMEOUT;                         // DID_TIME_OUT
    case 0x01: case 0x04: return ERROR_DEVICE_NOT_CONNECTED;     // DID_NO_CONNECT, DID_BAD_TARGET
    default: break;
    }
    if ((outcome.driverStatus & 0x0F) == 0x06) return ERROR_SEM_TIMEOUT;
    return ERROR_IO_DEVICE;
}

DWORD statusError(const SgOutcome& outcome) {
    if (!outcome.carried()) return transportError(outcome);
    if (outcome.status == 0x08) return ERROR_BUSY;  // BUSY
    switch (outcome.senseKey()) {
    case 0x02: return outcome.additionalSenseCode() == 0x3A ? ERROR_NO_MEDIA_IN_DRIVE : ERROR_NOT_READY;
    case 0x05: return ERROR_INVALID_FUNCTION;  // ILLEGAL REQUEST: the drive does not do this
    case 0x06: return ERROR_MEDIA_CHANGED;     // UNIT ATTENTION
    case 0x07: return ERROR_WRITE_PROTECT;     // DATA PROTECT
    default: return ERROR_IO_DEVICE;
    }
}

uint8_t groupCommandLength(uint8_t opcode, uint8_t given) {
    switch (opcode >> 5) {
    case 0: return std::max<uint8_t>(given, 6);
    case 1: case 2: return std::max<uint8_t>(given, 10);
    case 4: return std::max<uint8_t>(given, 16);
    case 5: return std::max<uint8_t>(given, 12);
    default: return given;  // groups 3, 6 and 7: the length is the command's own
    }
}

SgOutcome sendSgCommand(SysSeam& seam, int fd, const uint8_t* cdb, uint8_t cdbLength, SgDirection direction,
                        void* data, uint32_t length, uint32_t timeoutMs, uint8_t senseRoom) {
    std::array<uint8_t, 16> command{};
    std::memcpy(command.data(), cdb, std::min<size_t>(cdbLength, command.size()));
    std::array<uint8_t, 255> sense{};
    sg_io_hdr_t header;
    std::memset(&header, 0, sizeof header);
    header.interface_id = 'S';
    switch (direction) {
    case SgDirection::None: header.dxfer_direction = SG_DXFER_NONE; break;
    case SgDirection::FromDevice: header.dxfer_direction = SG_DXFER_FROM_DEV; break;
    case SgDirection::ToDevice: header.dxfer_direction = SG_DXFER_TO_DEV; break;
    case SgDirection::Both: header.dxfer_direction = SG_DXFER_TO_FROM_DEV; break;
    }
    if (length == 0) header.dxfer_direction = SG_DXFER_NONE;
    // The ATA layer behind SATA optical drives refuses a command block shorter than its
    // operation code's group length (no data, host status DID_ERROR); the padding bytes
    // are zero, so the drive receives the same command.
    header.cmd_len = std::min<uint8_t>(groupCommandLength(cdb[0], cdbLength), 16);
    header.cmdp = command.data();
    header.mx_sb_len = senseRoom;
    header.sbp = sense.data();
    header.dxfer_len = length;
    header.dxferp = length ? data : nullptr;
    header.timeout = timeoutMs;

    SgOutcome outcome;
    if (seam.ioctl(fd, SG_IO, &header) != 0) {
        outcome.error = errno;
        return outcome;
    }
    outcome.delivered = true;
    outcome.status = header.status;
    outcome.hostStatus = header.host_status;
    outcome.driverStatus = header.driver_status;
    const int resid = std::clamp(header.resid, 0, int(std::min<uint32_t>(length, INT_MAX)));
    outcome.transferred = length - uint32_t(resid);
    outcome.sense.assign(sense.begin(), sense.begin() + std::min<int>(header.sb_len_wr, senseRoom));
    return outcome;
}

int openNodeForCommands(SysSeam& seam, const std::string& path) {
    int fd = seam.open(path, O_RDWR | O_NONBLOCK);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) fd = seam.open(path, O_RDONLY | O_NONBLOCK);
    return fd;
}

namespace {

SgDirection directionOf(uint8_t dataIn) {
    switch (dataIn) {
    case SCSI_IOCTL_DATA_IN: return SgDirection::FromDevice;
    case SCSI_IOCTL_DATA_OUT: return SgDirection::ToDevice;
    default: return SgDirection::Both;
    }
}

// Seconds as the block carries them, milliseconds as the kernel takes them.
uint32_t timeoutMilliseconds(uint32_t seconds) {
    return seconds > UINT_MAX / 1000 ? UINT_MAX : seconds * 1000;
}

}  // namespace

BOOL scsiPassThrough(LinuxContext& ctx, HandleEntry& handle, uint8_t* block, DWORD blockSize, void* data,
                     DWORD* returned) {
    using L = PassThroughLayout;
    const platform::PassThroughView view{block};
    const uint32_t senseOffset = view.senseInfoOffset();
    const uint8_t senseLength = view.senseInfoLength();
    const uint32_t length = view.dataTransferLength();
    if (blockSize < L::StructSize || view.length() != L::StructSize || view.cdbLength() == 0 || view.cdbLength() > 16 ||
        (senseLength && (senseOffset < L::StructSize || senseOffset > blockSize || blockSize - senseOffset < senseLength)) ||
        (length && !data)) {
        ctx.setLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (handle.fd < 0) {
        ctx.setLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }

    // SCSI commands on a partition node are refused to callers without CAP_SYS_RAWIO: a
    // volume's commands go to its whole disk.
    int fd = handle.fd;
    int ownFd = -1;
    if (handle.target && !handle.target->diskNode.empty() && handle.target->diskNode != handle.node) {
        ownFd = openNodeForCommands(ctx.seam(), ctx.sysPath(handle.target->diskNode));
        if (ownFd < 0) {
            ctx.setLastError(win32ErrorFromErrno(errno));
            return FALSE;
        }
        fd = ownFd;
    }
    const SgOutcome outcome = sendSgCommand(ctx.seam(), fd, view.cdb(), view.cdbLength(), directionOf(view.dataIn()),
                                            data, length, timeoutMilliseconds(view.timeOutSeconds()), senseLength);
    if (ownFd >= 0) ctx.seam().close(ownFd);
    if (!outcome.carried()) {
        ctx.setLastError(transportError(outcome));
        return FALSE;
    }
    block[L::ScsiStatus] = outcome.status;
    block[L::SenseInfoLength] = uint8_t(outcome.sense.size());
    if (!outcome.sense.empty()) std::memcpy(block + senseOffset, outcome.sense.data(), outcome.sense.size());
    codec::putLe32(block + L::DataTransferLength, outcome.transferred);
    if (returned) *returned = blockSize;
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace zv::lnx
