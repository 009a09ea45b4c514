// Eject, load and door lock of optical drives and removable disks on this machine, shared
// by the device-control requests and the multimedia door commands.
#pragma once

#include "platform/api/win32.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/mount_table.h"

#include <functional>
#include <string>
#include <vector>

namespace zv::lnx {

struct UnmountOutcome {
    bool ok = true;
    win::DWORD error = 0;   // ERROR_BUSY when a process keeps the file system busy
    std::string message;    // the unmount tool's own words ("umount: /media/x: target is busy.")
};

// Unmounts one mount point. The default runs the mount program's umount (as util-linux
// eject does) and, where it cannot be started, umount2(2). Replaceable, so that tests do
// not unmount the machine's file systems.
using UnmountRunner = std::function<UnmountOutcome(const std::string& mountPoint)>;
UnmountRunner& unmountRunner();

// Mount points of file systems on `diskNode` or its partitions ("/dev/sdb", "/dev/sdb1",
// "/dev/mmcblk0p1"), deepest first so nested mounts go before their parents.
std::vector<std::string> mountPointsOnDisk(const std::vector<MountEntry>& mounts, const std::string& diskNode);

// Unmounts everything mounted from the disk (mount table under the system root). Stops at
// the first failure; its message is also shown through the desktop dialogs when installed.
UnmountOutcome unmountDisk(LinuxContext& ctx, const std::string& diskNode);

// Optical drive node (an sr device): open or close the tray, lock or unlock the door with
// the CD-ROM ioctls on `fd`. Opening unmounts the disc first. 0 or the Win32 error.
win::DWORD opticalOpenTray(LinuxContext& ctx, int fd, const std::string& node);
win::DWORD opticalCloseTray(LinuxContext& ctx, int fd);
win::DWORD opticalLockDoor(LinuxContext& ctx, int fd, const std::string& node, bool lock);

// A removable disk, as util-linux eject does it: unmount, ALLOW MEDIUM REMOVAL, START STOP
// UNIT (start, then eject) through SG_IO on the whole-disk node. 0 or the Win32 error.
win::DWORD removableEject(LinuxContext& ctx, const std::string& diskNode);
win::DWORD removableLoad(LinuxContext& ctx, const std::string& diskNode);
win::DWORD removableLock(LinuxContext& ctx, const std::string& diskNode, bool lock);

// The default CD audio device: /dev/cdrom where it exists, else the first /dev/srN; ""
// when the machine has no optical drive.
std::string defaultOpticalNode(LinuxContext& ctx);

}  // namespace zv::lnx
