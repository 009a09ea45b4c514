// ATA commands to a disk on the real machine: ATA PASS-THROUGH (16) through SG_IO for SATA
// disks and SAT bridges (SAT-4, opcode 85h), HDIO_DRIVE_CMD for the legacy IDE driver, and
// the world-readable IDENTIFY copy in sysfs for callers without the right to send either.
#pragma once

#include "platform/linux/sys_seam.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zv::lnx {

// One ATA command in the registers the program's S.M.A.R.T. requests use.
struct AtaCommand {
    uint8_t command = 0;
    uint8_t features = 0;
    uint8_t sectorCount = 0;
    uint8_t lbaLow = 0;
    uint8_t lbaMid = 0;
    uint8_t lbaHigh = 0;
    uint8_t device = 0;
    bool dataIn = false;  // moves one 512-byte sector from the device
};

// What the device (or the kernel) made of a command.
struct AtaOutcome {
    int errnoValue = 0;     // the ioctl failed with this errno (EPERM: no right to send it)
    bool aborted = false;   // the device answered with ERR in its status (error in `error`)
    bool unsupported = false;  // the transport refused ATA PASS-THROUGH (ILLEGAL REQUEST)
    bool transportFailed = false;  // host or driver status
    uint8_t status = 0;
    uint8_t error = 0;
    bool ok() const { return errnoValue == 0 && !aborted && !unsupported && !transportFailed; }
};

// The 16-byte CDB: PIO data-in (protocol 4) with the length in the sector count and counted
// in blocks, or non-data (protocol 3); 28-bit registers in the low bytes.
std::array<uint8_t, 16> ataPassThrough16(const AtaCommand& command);

// Sends the command through SG_IO on `fd`; `data` receives 512 bytes for data-in commands.
AtaOutcome sendAtaPassThrough(SysSeam& seam, int fd, const AtaCommand& command, uint8_t* data);

// The legacy IDE driver's HDIO_DRIVE_CMD (buffer: command, sector number, features, sector
// count; then status, error and the data from byte 4).
AtaOutcome sendHdioDriveCommand(SysSeam& seam, int fd, const AtaCommand& command, uint8_t* data);

// Decodes the sense data of a CHECK CONDITION (fixed or descriptor format, with the ATA
// Return descriptor of SAT) into `outcome`.
void decodeAtaSense(const uint8_t* sense, size_t length, AtaOutcome& outcome);

// The IDENTIFY page the kernel keeps for an ATA disk (/sys/class/ata_device/devN.M/id: 256
// words in hexadecimal), found through the disk's sysfs path. Empty when there is none.
std::vector<uint8_t> sysfsIdentifyPage(const std::string& sysRoot, const std::string& diskName);
// The text of an "id" file turned into the 512-byte page (each word little-endian).
std::vector<uint8_t> parseIdentifyWords(const std::string& text);

}  // namespace zv::lnx
