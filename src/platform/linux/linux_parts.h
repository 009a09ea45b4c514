// Parts of the Linux backend that live in files of their own subsystem. The core of the
// backend (linux_platform.cpp, io.cpp, drives.cpp ...) calls these.
#pragma once

#include "platform/api/platform.h"
#include "platform/linux/linux_context.h"

#include <memory>
#include <string>
#include <vector>

namespace zv::lnx {

// ---- SCSI pass-through (sg_transport.cpp)
// IOCTL_SCSI_PASS_THROUGH_DIRECT through SG_IO on the handle's node: the block's fields
// turned into an sg_io_hdr (time-out seconds to milliseconds), ScsiStatus, SenseInfoLength
// and the sense bytes copied back into the block. TRUE when the kernel carried the command
// (a CHECK CONDITION still counts as carried).
BOOL scsiPassThrough(LinuxContext& ctx, HandleEntry& handle, uint8_t* block, DWORD blockSize,
                     void* data, DWORD* returned);

// ---- optical drives and removable media (media_control.cpp, mci.cpp, optical_rights.cpp)
// IOCTL_STORAGE_EJECT_MEDIA, IOCTL_STORAGE_LOAD_MEDIA, IOCTL_STORAGE_MEDIA_REMOVAL on a letter
// device. Returns false when the code is not one of these (the caller then refuses it).
bool mediaDeviceControl(LinuxContext& ctx, HandleEntry& handle, DWORD code, const void* in,
                        DWORD inSize, void* out, DWORD outSize, DWORD* returned, BOOL* result);
DWORD linuxMciSendString(LinuxContext& ctx, const char* command, char* returnString, UINT returnLength);
DWORD linuxMciSendCommand(LinuxContext& ctx, MCIDEVICEID device, UINT message, DWORD flags, void* params);
// The right to send raw commands to the optical drives: root, or read-write access to their
// nodes. Feeds the administrator test.
bool hasOpticalCommandRights(LinuxContext& ctx);

// ---- physical disks (disk_control.cpp)
// IOCTL_STORAGE_GET_DEVICE_NUMBER, IOCTL_DISK_GET_DRIVE_LAYOUT(_EX), SMART_GET_VERSION,
// SMART_SEND_DRIVE_COMMAND, SMART_RCV_DRIVE_DATA. Returns false when the code is not one of these.
bool diskDeviceControl(LinuxContext& ctx, HandleEntry& handle, DWORD code, const void* in,
                       DWORD inSize, void* out, DWORD outSize, DWORD* returned, BOOL* result);

// ---- check library, management service, volume names (check_library.cpp, management.cpp,
// volume_names.cpp)
std::unique_ptr<platform::ICheckLibrary> makeLinuxCheckLibrary(LinuxContext& ctx);
std::unique_ptr<platform::IManagement> makeLinuxManagement(LinuxContext& ctx);
// "\\?\Volume{...}\" for every volume with a file-system UUID, mounted or not.
std::vector<std::string> linuxVolumeNames(LinuxContext& ctx);

// ---- desktop programs (shell.cpp), for the shell and network connection stand-ins
// The path of a program found on PATH (or `name` itself when it holds a "/" and is
// executable); "" when absent.
std::string findProgram(const std::string& name);
// Runs a program to its end, at most `timeoutMs` (then it is killed), standard output and
// error captured together. The exit status; -1 when it could not run to its end.
int runTool(const std::vector<std::string>& argv, std::string* output, int timeoutMs);
// Starts a program detached from Zorvane; false when it could not be started.
bool startProgram(const std::vector<std::string>& argv);

// ---- shell and network connections (shell.cpp, network_connect.cpp)
std::unique_ptr<platform::IShell> makeLinuxShell(LinuxContext& ctx);
DWORD linuxAddConnection(LinuxContext& ctx, const char* remoteName, const char* localName,
                         const char* userName, DWORD flags, std::string* message);
DWORD linuxCancelConnection(LinuxContext& ctx, const char* name, DWORD flags, BOOL force,
                            std::string* message);

}  // namespace zv::lnx
