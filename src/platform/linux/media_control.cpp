// IOCTL_STORAGE_EJECT_MEDIA, IOCTL_STORAGE_LOAD_MEDIA and IOCTL_STORAGE_MEDIA_REMOVAL on a
// letter device. Optical drives use the CD-ROM ioctls (linux/cdrom.h); other disks (USB
// sticks, card readers, Zip drives) are ejected the way util-linux eject does it, through
// SG_IO on the whole disk.
#include "platform/linux/door_locks.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/optical_media.h"
#include "platform/linux/optical_sg.h"

#include <cerrno>
#include <cstdint>
#include <dirent.h>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <sys/stat.h>

#include <algorithm>

namespace zv::lnx {

namespace {

// util-linux eject gives these commands ten seconds.
constexpr uint32_t kEjectTimeoutMs = 10000;

DWORD ioctlError(LinuxContext& ctx, int fd, unsigned long request, uintptr_t argument) {
    if (ctx.seam().ioctl(fd, request, reinterpret_cast<void*>(argument)) == 0) return ERROR_SUCCESS;
    return errno == EBUSY ? ERROR_BUSY : win32ErrorFromErrno(errno);
}

bool isOpticalHandle(const HandleEntry& handle) {
    if (handle.target && handle.target->driveType == DRIVE_CDROM) return true;
    const std::string& node = handle.node;
    const size_t slash = node.rfind('/');
    return node.compare(slash == std::string::npos ? 0 : slash + 1, 2, "sr") == 0;
}

std::string wholeDiskOf(const HandleEntry& handle) {
    if (handle.target && !handle.target->diskNode.empty()) return handle.target->diskNode;
    return handle.node;
}

// Runs the commands in order. Preparing commands may end in CHECK CONDITION (a reader
// without a card answers MEDIUM NOT PRESENT to the start); the deciding one must end GOOD.
struct DiskCommand {
    uint8_t cdb[6];
    bool decides;
};

DWORD runDiskCommands(LinuxContext& ctx, const std::string& diskNode, std::initializer_list<DiskCommand> commands) {
    if (diskNode.empty()) return ERROR_INVALID_FUNCTION;
    const int fd = openNodeForCommands(ctx.seam(), ctx.sysPath(diskNode));
    if (fd < 0) return win32ErrorFromErrno(errno);
    DWORD result = ERROR_SUCCESS;
    for (const DiskCommand& command : commands) {
        const SgOutcome outcome =
            sendSgCommand(ctx.seam(), fd, command.cdb, 6, SgDirection::None, nullptr, 0, kEjectTimeoutMs);
        if (!outcome.carried()) {
            result = transportError(outcome);
            break;
        }
        if (command.decides && !outcome.good()) {
            result = statusError(outcome);
            break;
        }
    }
    ctx.seam().close(fd);
    return result;
}

}  // namespace

DWORD opticalOpenTray(LinuxContext& ctx, int fd, const std::string& node) {
    // A door the user locked here keeps the disc in (and mounted) until it is unlocked.
    if (doorLockedByUser(ctx, node)) return ERROR_BUSY;
    // CDROMEJECT fails with EBUSY while the disc is mounted: unmount it first. The lock
    // lifted next is udev's own, set at every media change.
    const UnmountOutcome unmounted = unmountDisk(ctx, node);
    if (!unmounted.ok) return unmounted.error;
    ioctlError(ctx, fd, CDROM_LOCKDOOR, 0);
    return ioctlError(ctx, fd, CDROMEJECT, 0);
}

DWORD opticalCloseTray(LinuxContext& ctx, int fd) { return ioctlError(ctx, fd, CDROMCLOSETRAY, 0); }

DWORD opticalLockDoor(LinuxContext& ctx, int fd, const std::string& node, bool lock) {
    const DWORD error = ioctlError(ctx, fd, CDROM_LOCKDOOR, lock ? 1 : 0);
    if (error == ERROR_SUCCESS) rememberDoorLock(ctx, node, lock);
    return error;
}

DWORD removableEject(LinuxContext& ctx, const std::string& diskNode) {
    const UnmountOutcome unmounted = unmountDisk(ctx, diskNode);
    if (!unmounted.ok) return unmounted.error;
    const DWORD result = runDiskCommands(ctx, diskNode,
                                         {{{0x1E, 0, 0, 0, 0x00, 0}, false},    // ALLOW MEDIUM REMOVAL
                                          {{0x1B, 0, 0, 0, 0x01, 0}, false},    // START STOP UNIT: start
                                          {{0x1B, 0, 0, 0, 0x02, 0}, true}});   // START STOP UNIT: eject
    if (result == ERROR_SUCCESS) {
        // Let the kernel drop the partitions of the medium that left.
        const int fd = openNodeForCommands(ctx.seam(), ctx.sysPath(diskNode));
        if (fd >= 0) {
            ctx.seam().ioctl(fd, BLKRRPART, nullptr);
            ctx.seam().close(fd);
        }
    }
    return result;
}

DWORD removableLoad(LinuxContext& ctx, const std::string& diskNode) {
    return runDiskCommands(ctx, diskNode, {{{0x1B, 0, 0, 0, 0x03, 0}, true}});  // START STOP UNIT: load
}

DWORD removableLock(LinuxContext& ctx, const std::string& diskNode, bool lock) {
    return runDiskCommands(ctx, diskNode, {{{0x1E, 0, 0, 0, uint8_t(lock ? 1 : 0), 0}, true}});
}

std::string defaultOpticalNode(LinuxContext& ctx) {
    struct stat info{};
    if (::stat(ctx.sysPath("/dev/cdrom").c_str(), &info) == 0) return "/dev/cdrom";
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(ctx.sysPath("/dev").c_str())) {
        while (dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name.size() > 2 && name.compare(0, 2, "sr") == 0 &&
                std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
                names.push_back(name);
        }
        ::closedir(dir);
    }
    if (names.empty()) return {};
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return "/dev/" + names.front();
}

bool mediaDeviceControl(LinuxContext& ctx, HandleEntry& handle, DWORD code, const void* in, DWORD inSize, void*,
                        DWORD, DWORD* returned, BOOL* result) {
    if (code != IOCTL_STORAGE_EJECT_MEDIA && code != IOCTL_STORAGE_LOAD_MEDIA && code != IOCTL_STORAGE_MEDIA_REMOVAL)
        return false;
    if (returned) *returned = 0;
    DWORD error = ERROR_SUCCESS;
    if (code == IOCTL_STORAGE_MEDIA_REMOVAL && (!in || inSize < 1)) {
        error = ERROR_INVALID_PARAMETER;
    } else if (handle.kind != HandleKind::Device && handle.kind != HandleKind::PhysicalDisk) {
        error = ERROR_INVALID_FUNCTION;
    } else if (isOpticalHandle(handle)) {
        if (handle.fd < 0) {
            error = ERROR_ACCESS_DENIED;
        } else if (code == IOCTL_STORAGE_EJECT_MEDIA) {
            error = opticalOpenTray(ctx, handle.fd, handle.node);
        } else if (code == IOCTL_STORAGE_LOAD_MEDIA) {
            error = opticalCloseTray(ctx, handle.fd);
        } else {
            error = opticalLockDoor(ctx, handle.fd, handle.node, *static_cast<const uint8_t*>(in) != 0);
        }
    } else {
        const std::string disk = wholeDiskOf(handle);
        if (code == IOCTL_STORAGE_EJECT_MEDIA) error = removableEject(ctx, disk);
        else if (code == IOCTL_STORAGE_LOAD_MEDIA) error = removableLoad(ctx, disk);
        else error = removableLock(ctx, disk, *static_cast<const uint8_t*>(in) != 0);
    }
    ctx.setLastError(error);
    *result = error == ERROR_SUCCESS ? TRUE : FALSE;
    return true;
}

}  // namespace zv::lnx
