#include "platform/linux/ata_pass_through.h"

#include "platform/linux/sysfs.h"

#include <scsi/sg.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace zv::lnx {

namespace {

constexpr uint8_t kProtocolNonData = 3;
constexpr uint8_t kProtocolPioIn = 4;
constexpr uint8_t kStatusErr = 0x01;
constexpr unsigned kTimeoutMs = 60000;  // spun-down disks take their time to answer
constexpr uint8_t kCheckCondition = 0x02;

}  // namespace

std::array<uint8_t, 16> ataPassThrough16(const AtaCommand& c) {
    std::array<uint8_t, 16> cdb{};
    cdb[0] = 0x85;
    cdb[1] = uint8_t((c.dataIn ? kProtocolPioIn : kProtocolNonData) << 1);
    // T_DIR from the device, BYTE_BLOCK, T_LENGTH in the sector count field.
    cdb[2] = c.dataIn ? 0x0E : 0x00;
    cdb[4] = c.features;
    cdb[6] = c.sectorCount;
    cdb[8] = c.lbaLow;
    cdb[10] = c.lbaMid;
    cdb[12] = c.lbaHigh;
    cdb[13] = c.device;
    cdb[14] = c.command;
    return cdb;
}

void decodeAtaSense(const uint8_t* sense, size_t length, AtaOutcome& outcome) {
    if (length < 8) {
        outcome.transportFailed = true;
        return;
    }
    const uint8_t code = sense[0] & 0x7F;
    uint8_t key = 0, asc = 0, ascq = 0;
    bool haveRegisters = false;
    if (code == 0x72 || code == 0x73) {
        key = sense[1] & 0x0F;
        asc = sense[2];
        ascq = sense[3];
        // Descriptors from byte 8; the ATA Return descriptor (09h) holds the output registers.
        const size_t end = std::min<size_t>(length, 8 + size_t(sense[7]));
        for (size_t at = 8; at + 1 < end; at += 2 + size_t(sense[at + 1])) {
            if (sense[at] == 0x09 && at + 13 < end) {
                outcome.error = sense[at + 3];
                outcome.status = sense[at + 13];
                haveRegisters = true;
            }
        }
    } else if ((code == 0x70 || code == 0x71) && length >= 14) {
        key = sense[2] & 0x0F;
        asc = sense[12];
        ascq = sense[13];
        if (asc == 0x00 && ascq == 0x1D) {  // SAT: ATA information in the INFORMATION field
            outcome.error = sense[3];
            outcome.status = sense[4];
            haveRegisters = true;
        }
    } else {
        outcome.transportFailed = true;
        return;
    }
    if (key == 0x05) {  // ILLEGAL REQUEST: no ATA PASS-THROUGH behind this device
        outcome.unsupported = true;
        return;
    }
    if (haveRegisters && (outcome.status & kStatusErr)) {
        outcome.aborted = true;
        return;
    }
    // RECOVERED ERROR with "ATA pass through information available" is the normal answer.
    if (key == 0x01 && asc == 0x00 && ascq == 0x1D) return;
    if (key == 0x0B) {  // ABORTED COMMAND
        outcome.aborted = true;
        if (!haveRegisters) outcome.error = 0x04;
        return;
    }
    if (key != 0x00) outcome.transportFailed = true;
}

AtaOutcome sendAtaPassThrough(SysSeam& seam, int fd, const AtaCommand& command, uint8_t* data) {
    std::array<uint8_t, 16> cdb = ataPassThrough16(command);
    uint8_t sense[32] = {};
    sg_io_hdr_t hdr;
    std::memset(&hdr, 0, sizeof hdr);
    hdr.interface_id = 'S';
    hdr.cmd_len = 16;
    hdr.cmdp = cdb.data();
    hdr.mx_sb_len = sizeof sense;
    hdr.sbp = sense;
    hdr.timeout = kTimeoutMs;
    if (command.dataIn) {
        hdr.dxfer_direction = SG_DXFER_FROM_DEV;
        hdr.dxfer_len = 512;
        hdr.dxferp = data;
    } else {
        hdr.dxfer_direction = SG_DXFER_NONE;
    }
    AtaOutcome outcome;
    if (seam.ioctl(fd, SG_IO, &hdr) < 0) {
        outcome.errnoValue = errno ? errno : EIO;
        return outcome;
    }
    if (hdr.status == kCheckCondition || hdr.sb_len_wr > 0) {
        decodeAtaSense(sense, hdr.sb_len_wr, outcome);
        return outcome;
    }
    if (hdr.host_status != 0 || (hdr.driver_status & 0x0F) != 0 || hdr.status != 0) outcome.transportFailed = true;
    return outcome;
}

AtaOutcome sendHdioDriveCommand(SysSeam& seam, int fd, const AtaCommand& command, uint8_t* data) {
    uint8_t buffer[4 + 512] = {};
    buffer[0] = command.command;
    buffer[1] = command.lbaLow;
    buffer[2] = command.features;
    buffer[3] = command.sectorCount;
    AtaOutcome outcome;
    if (seam.ioctl(fd, HDIO_DRIVE_CMD, buffer) < 0) {
        outcome.errnoValue = errno ? errno : EIO;
        // The driver leaves the registers in the buffer when the device refused the command.
        if (outcome.errnoValue == EIO && (buffer[0] & kStatusErr)) {
            outcome.errnoValue = 0;
            outcome.aborted = true;
            outcome.status = buffer[0];
            outcome.error = buffer[1];
        }
        return outcome;
    }
    outcome.status = buffer[0];
    outcome.error = buffer[1];
    if (command.dataIn && data) std::memcpy(data, buffer + 4, 512);
    return outcome;
}

std::vector<uint8_t> parseIdentifyWords(const std::string& text) {
    std::vector<uint8_t> page;
    size_t i = 0;
    while (i < text.size() && page.size() < 512) {
        while (i < text.size() && !std::isxdigit(static_cast<unsigned char>(text[i]))) ++i;
        size_t j = i;
        while (j < text.size() && std::isxdigit(static_cast<unsigned char>(text[j]))) ++j;
        if (j == i) break;
        if (j - i != 4) return {};
        const unsigned word = unsigned(std::stoul(text.substr(i, 4), nullptr, 16));
        page.push_back(uint8_t(word & 0xFF));
        page.push_back(uint8_t(word >> 8));
        i = j;
    }
    if (page.size() != 512) return {};
    return page;
}

std::vector<uint8_t> sysfsIdentifyPage(const std::string& sysRoot, const std::string& diskName) {
    // The disk's device path names its ATA port ("/ata3/"); the port's devices are devN.M.
    const std::string path = resolveUnderRoot(sysRoot, "/sys/block/" + diskName);
    const size_t at = path.find("/ata");
    if (at == std::string::npos) return {};
    size_t end = at + 4;
    while (end < path.size() && std::isdigit(static_cast<unsigned char>(path[end]))) ++end;
    if (end == at + 4 || (end < path.size() && path[end] != '/')) return {};
    const std::string port = path.substr(at + 4, end - at - 4);
    const std::string root = sysRoot == "/" ? std::string() : sysRoot;
    const std::string classDir = root + "/sys/class/ata_device";
    std::string chosen;
    for (const std::string& name : listDirectory(classDir)) {
        if (name.rfind("dev" + port + ".", 0) != 0) continue;
        if (chosen.empty() || name == "dev" + port + ".0") chosen = name;
    }
    if (chosen.empty()) return {};
    const auto text = readFileBytes(classDir + "/" + chosen + "/id", 8192);
    return text ? parseIdentifyWords(*text) : std::vector<uint8_t>{};
}

}  // namespace zv::lnx
