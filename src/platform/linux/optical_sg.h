// SG_IO on a device node: the one way raw SCSI commands reach a drive on this machine.
// Shared by the pass-through request, the removable-disk eject and the door lock.
#pragma once

#include "platform/api/win32.h"
#include "platform/linux/sys_seam.h"

#include <cstdint>
#include <string>
#include <vector>

struct sg_io_hdr;

namespace zv::lnx {

// What the kernel did with one command.
struct SgOutcome {
    bool delivered = false;   // the ioctl returned 0
    int error = 0;            // errno when not delivered
    uint8_t status = 0;       // SCSI status (0 GOOD, 2 CHECK CONDITION)
    uint16_t hostStatus = 0;  // transport: 0 DID_OK, 1 NO_CONNECT, 3 TIME_OUT ...
    uint16_t driverStatus = 0;
    uint32_t transferred = 0; // dxfer_len - resid
    std::vector<uint8_t> sense;

    // The transport carried the command to the drive and back (whatever its status).
    bool carried() const;
    // Carried and ended GOOD.
    bool good() const { return carried() && status == 0; }
    // Sense key (fixed or descriptor format), 0 when none.
    uint8_t senseKey() const;
    uint8_t additionalSenseCode() const;
};

// The Win32 error for a command the transport did not carry (ERROR_SEM_TIMEOUT for a
// time-out, ERROR_DEVICE_NOT_CONNECTED for a device that went away, ERROR_IO_DEVICE else).
win::DWORD transportError(const SgOutcome& outcome);
// The Win32 error of a carried command that did not end GOOD, from its sense key.
win::DWORD statusError(const SgOutcome& outcome);

enum class SgDirection { None, FromDevice, ToDevice, Both };

// The command block length SG_IO carries for `opcode`: at least its group's length (6, 10,
// 12 or 16 bytes by the top three bits of the operation code), `given` when longer.
uint8_t groupCommandLength(uint8_t opcode, uint8_t given);

// One command through SG_IO on `fd`. `timeoutMs` as the kernel takes it; `senseRoom` bytes
// of sense are asked for.
SgOutcome sendSgCommand(SysSeam& seam, int fd, const uint8_t* cdb, uint8_t cdbLength, SgDirection direction,
                        void* data, uint32_t length, uint32_t timeoutMs, uint8_t senseRoom = 32);

// A node opened as util-linux eject does: O_RDWR|O_NONBLOCK, falling back to
// O_RDONLY|O_NONBLOCK. -1 with errno when neither works.
int openNodeForCommands(SysSeam& seam, const std::string& path);

}  // namespace zv::lnx
