// Physical-disk requests on the real machine: device number, drive layout and the
// S.M.A.R.T. driver requests, answered with the Windows reply blocks.
#include "platform/api/disk_requests.h"
#include "platform/linux/ata_pass_through.h"
#include "platform/linux/disk_layout.h"
#include "platform/linux/error_words.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/sysfs.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zv::lnx {

using platform::SendCmdInParams;
using platform::SendCmdOutLayout;

namespace {

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The kernel name of the whole disk behind a handle ("sda"), "" when none.
std::string diskNameOf(const HandleEntry& handle) {
    if (handle.kind == HandleKind::PhysicalDisk) return baseName(handle.node);
    if (handle.target && !handle.target->diskNode.empty()) return baseName(handle.target->diskNode);
    return {};
}

BOOL fail(LinuxContext& ctx, DWORD error) {
    ctx.setLastError(error);
    return FALSE;
}

BOOL copyReply(LinuxContext& ctx, const std::vector<uint8_t>& reply, void* out, DWORD outSize, DWORD* returned) {
    if (!out || outSize < reply.size()) return fail(ctx, ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(out, reply.data(), reply.size());
    *returned = DWORD(reply.size());
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

// ---- device number
BOOL deviceNumber(LinuxContext& ctx, HandleEntry& handle, void* out, DWORD outSize, DWORD* returned) {
    if (!out || outSize < platform::StorageDeviceNumber::Size) return fail(ctx, ERROR_INSUFFICIENT_BUFFER);
    platform::StorageDeviceNumber number;
    if (handle.kind == HandleKind::PhysicalDisk) {
        number = {FILE_DEVICE_DISK, DWORD(handle.physicalDrive), 0};
    } else {
        const std::string disk = diskNameOf(handle);
        if (disk.rfind("sr", 0) == 0) {
            number = {FILE_DEVICE_CD_ROM, DWORD(std::strtoul(disk.c_str() + 2, nullptr, 10)), 0xFFFFFFFFu};
        } else {
            const auto disks = ctx.wholeDisks();
            const auto it = std::find(disks.begin(), disks.end(), disk);
            // Loop devices, RAM disks and network volumes lie on no physical disk.
            if (disk.empty() || it == disks.end()) return fail(ctx, ERROR_INVALID_FUNCTION);
            number = {FILE_DEVICE_DISK, DWORD(it - disks.begin()), DWORD(std::max(0, handle.target->partitionNumber))};
        }
    }
    number.encode(static_cast<uint8_t*>(out));
    *returned = platform::StorageDeviceNumber::Size;
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

// ---- drive layout
// The layout of the whole disk: libblkid on the disk itself where it opens, else sysfs.
bool readLayout(LinuxContext& ctx, HandleEntry& handle, DiskLayout& layout) {
    const std::string disk = diskNameOf(handle);
    if (disk.empty()) return false;
    const bool handleIsDisk = handle.kind == HandleKind::PhysicalDisk ||
                              (handle.target && handle.target->devNode == handle.target->diskNode);
    int fd = handleIsDisk ? handle.fd : -1;
    bool own = false;
    if (fd < 0) {
        fd = ctx.seam().open(ctx.sysPath("/dev/" + disk), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        own = fd >= 0;
    }
    bool probed = fd >= 0 && probeDiskLayout(fd, layout);
    if (own) ctx.seam().close(fd);
    if (!probed) layout = sysfsDiskLayout(ctx.options().sysRoot, disk);
    return true;
}

BOOL driveLayout(LinuxContext& ctx, HandleEntry& handle, bool extended, void* out, DWORD outSize, DWORD* returned) {
    if (handle.target && handle.target->devNode.empty()) return fail(ctx, ERROR_INVALID_FUNCTION);
    DiskLayout layout;
    if (!readLayout(ctx, handle, layout)) return fail(ctx, ERROR_INVALID_FUNCTION);
    // The old request cannot describe a GPT disk.
    if (!extended && layout.gpt) return fail(ctx, ERROR_INVALID_FUNCTION);
    return copyReply(ctx, extended ? encodeLayoutEx(layout) : encodeOldLayout(layout), out, outSize, returned);
}

// ---- S.M.A.R.T.
struct SmartReply {
    DWORD error = 0;  // 0: success
    uint8_t driverStatus = 0;
    uint8_t ideError = 0;
    bool data = false;
};

SmartReply refused(DWORD error, uint8_t status, uint8_t ideError = 0) { return {error, status, ideError, false}; }

// The register block of a request turned into the command the disk is sent. The registers
// the command does not use are set as the ATA command set defines them, so every disk and
// bridge sees the same well-formed command.
bool commandOf(bool receive, const SendCmdInParams& r, AtaCommand* command, SmartReply* refusal) {
    const auto& regs = r.regs;
    AtaCommand c;
    c.command = regs.command;
    if (regs.command == platform::ATA_IDENTIFY_DEVICE || regs.command == platform::ATA_IDENTIFY_PACKET_DEVICE) {
        if (!receive || r.bufferSize != 512) {
            *refusal = refused(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_BUFFER);
            return false;
        }
        c.sectorCount = 1;
        c.dataIn = true;
    } else if (regs.command == platform::ATA_SMART) {
        if (regs.cylLow != platform::ATA_SMART_CYL_LOW || regs.cylHigh != platform::ATA_SMART_CYL_HIGH) {
            *refusal = refused(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_REGISTER);
            return false;
        }
        c.features = regs.features;
        c.lbaMid = platform::ATA_SMART_CYL_LOW;
        c.lbaHigh = platform::ATA_SMART_CYL_HIGH;
        if (receive && (regs.features == platform::ATA_SMART_READ_DATA || regs.features == platform::ATA_SMART_READ_THRESHOLDS)) {
            if (r.bufferSize != 512) {
                *refusal = refused(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_BUFFER);
                return false;
            }
            c.sectorCount = 1;
            c.lbaLow = regs.features == platform::ATA_SMART_READ_THRESHOLDS ? 1 : 0;
            c.dataIn = true;
        } else if (!receive && (regs.features == platform::ATA_SMART_ENABLE_OPERATIONS || regs.features == 0xD9)) {
            c.lbaLow = 1;
        } else {
            *refusal = refused(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_COMMAND);
            return false;
        }
    } else {
        *refusal = refused(ERROR_INVALID_PARAMETER, platform::SMART_INVALID_COMMAND);
        return false;
    }
    *command = c;
    return true;
}

SmartReply fromOutcome(const AtaOutcome& o) {
    if (o.errnoValue) return refused(win32ErrorFromErrno(o.errnoValue), platform::SMART_IDE_ERROR);
    if (o.aborted) return refused(ERROR_IO_DEVICE, platform::SMART_IDE_ERROR, o.error);
    if (o.unsupported) return refused(ERROR_NOT_SUPPORTED, platform::SMART_INVALID_COMMAND);
    if (o.transportFailed) return refused(ERROR_IO_DEVICE, platform::SMART_IDE_ERROR);
    return {};
}

// Why a disk of this kind has no ATA S.M.A.R.T. data, in the words a Linux user knows.
std::string noAtaExplanation(const std::string& disk) {
    const auto startsWith = [&](const char* prefix) { return disk.rfind(prefix, 0) == 0; };
    if (startsWith("vd") || startsWith("xvd"))
        return disk + " is a virtual machine's disk: its driver passes no ATA commands, so there is no "
                      "S.M.A.R.T. data to read (the host's own disks have it)";
    if (startsWith("mmcblk")) return disk + " is an SD/MMC card: such cards answer no ATA S.M.A.R.T. commands";
    if (startsWith("nvme")) return disk + " is an NVMe disk: it answers no ATA commands";
    if (startsWith("loop") || startsWith("ram") || startsWith("zram") || startsWith("dm-") || startsWith("md"))
        return disk + " is a virtual block device, not a disk: it has no S.M.A.R.T. data";
    if (disk.empty()) return "this drive lies on no disk of this machine, so it has no S.M.A.R.T. data";
    return disk + " answers no ATA commands (its driver has no ATA pass-through)";
}

SmartReply executeSmart(LinuxContext& ctx, HandleEntry& handle, const AtaCommand& command, uint8_t* data) {
    const std::string disk = diskNameOf(handle);
    const bool identify = command.command == platform::ATA_IDENTIFY_DEVICE;
    auto fromSysfs = [&](DWORD deniedError) {
        if (identify) {
            const auto page = sysfsIdentifyPage(ctx.options().sysRoot, disk);
            if (page.size() == 512) {
                std::memcpy(data, page.data(), 512);
                SmartReply ok;
                ok.data = true;
                return ok;
            }
        }
        if (deniedError == ERROR_ACCESS_DENIED)
            rememberExplanationOfCode(ERROR_ACCESS_DENIED, "sending ATA commands to /dev/" + disk +
                                                               " needs root rights (start Zorvane with sudo or pkexec)");
        return refused(deniedError, platform::SMART_IDE_ERROR);
    };
    const bool scsiDriven = disk.rfind("sd", 0) == 0;
    const bool legacyIde = disk.rfind("hd", 0) == 0;
    // NVMe, virtio and MMC disks take no ATA commands, whoever asks.
    if (!scsiDriven && !legacyIde) {
        rememberExplanationOfCode(ERROR_INVALID_FUNCTION, noAtaExplanation(disk));
        return refused(ERROR_INVALID_FUNCTION, platform::SMART_INVALID_IOCTL);
    }
    // Without an open node (the user may not open the disk) only the kernel's copy of the
    // IDENTIFY data is within reach.
    if (handle.fd < 0) return fromSysfs(ERROR_ACCESS_DENIED);
    const AtaOutcome outcome = scsiDriven ? sendAtaPassThrough(ctx.seam(), handle.fd, command, data)
                                          : sendHdioDriveCommand(ctx.seam(), handle.fd, command, data);
    if (outcome.errnoValue == EPERM || outcome.errnoValue == EACCES) return fromSysfs(ERROR_ACCESS_DENIED);
    SmartReply reply = fromOutcome(outcome);
    reply.data = reply.error == 0 && command.dataIn;
    return reply;
}

BOOL smartVersion(LinuxContext& ctx, HandleEntry& handle, void* out, DWORD outSize, DWORD* returned) {
    if (handle.kind != HandleKind::PhysicalDisk) return fail(ctx, ERROR_INVALID_FUNCTION);
    if (!out || outSize < platform::GetVersionOutParams::Size) return fail(ctx, ERROR_INSUFFICIENT_BUFFER);
    // One node is one drive: device 0, ATAPI when the kernel drives it as an optical drive.
    const bool atapi = diskNameOf(handle).rfind("sr", 0) == 0;
    platform::GetVersionOutParams v;
    v.version = 1;
    v.revision = 1;
    v.ideDeviceMap = uint8_t(atapi ? 0x11 : 0x01);
    v.capabilities = platform::CAP_ATA_ID_CMD | platform::CAP_SMART_CMD | (atapi ? platform::CAP_ATAPI_ID_CMD : 0);
    v.encode(static_cast<uint8_t*>(out));
    *returned = platform::GetVersionOutParams::Size;
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL smartCommand(LinuxContext& ctx, HandleEntry& handle, bool receive, const void* in, DWORD inSize, void* out,
                  DWORD outSize, DWORD* returned) {
    if (handle.kind != HandleKind::PhysicalDisk) return fail(ctx, ERROR_INVALID_FUNCTION);
    if (!in || inSize < SendCmdInParams::Size) return fail(ctx, ERROR_INVALID_PARAMETER);
    const DWORD needed = receive ? SendCmdOutLayout::SectorReplySize : SendCmdOutLayout::Data;
    if (!out || outSize < needed) return fail(ctx, ERROR_INSUFFICIENT_BUFFER);
    const SendCmdInParams request = SendCmdInParams::decode(static_cast<const uint8_t*>(in));
    auto* reply = static_cast<uint8_t*>(out);
    std::memset(reply, 0, needed);

    SmartReply result;
    AtaCommand command;
    uint8_t sector[512] = {};
    if (request.driveNumber != 0) {
        result = refused(ERROR_INVALID_PARAMETER, platform::SMART_NO_IDE_DEVICE);
    } else if (commandOf(receive, request, &command, &result)) {
        result = executeSmart(ctx, handle, command, sector);
    }
    reply[SendCmdOutLayout::DriverError] = result.driverStatus;
    reply[SendCmdOutLayout::IdeError] = result.ideError;
    if (result.error) return fail(ctx, result.error);
    if (result.data) {
        codec::putLe32(reply, 512);
        std::memcpy(reply + SendCmdOutLayout::Data, sector, 512);
    }
    *returned = result.data ? SendCmdOutLayout::SectorReplySize : SendCmdOutLayout::Data;
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace

bool diskDeviceControl(LinuxContext& ctx, HandleEntry& handle, DWORD code, const void* in, DWORD inSize, void* out,
                       DWORD outSize, DWORD* returned, BOOL* result) {
    DWORD ignored = 0;
    if (!returned) returned = &ignored;
    switch (code) {
    case IOCTL_STORAGE_GET_DEVICE_NUMBER: *result = deviceNumber(ctx, handle, out, outSize, returned); return true;
    case IOCTL_DISK_GET_DRIVE_LAYOUT: *result = driveLayout(ctx, handle, false, out, outSize, returned); return true;
    case IOCTL_DISK_GET_DRIVE_LAYOUT_EX: *result = driveLayout(ctx, handle, true, out, outSize, returned); return true;
    case SMART_GET_VERSION: *result = smartVersion(ctx, handle, out, outSize, returned); return true;
    case SMART_SEND_DRIVE_COMMAND:
        *result = smartCommand(ctx, handle, false, in, inSize, out, outSize, returned);
        return true;
    case SMART_RCV_DRIVE_DATA: *result = smartCommand(ctx, handle, true, in, inSize, out, outSize, returned); return true;
    default: return false;
    }
}

}  // namespace zv::lnx
