// Small per-letter queries of the drive survey: the device's identification, the external-bus
// test, the volume serial text, the letter's visibility under the drive-hiding policy and the
// unavailable-connection test. Each opens what it needs, asks one question, closes what it
// opened on every path and turns every failure into a fixed answer; none raises.
#pragma once

#include "platform/api/platform.h"

#include <string>

namespace zv::survey {

// How a drive letter is opened as a device ("\\.\X:").
enum class DeviceOpenMode {
    ReadWrite,  // GENERIC_READ | GENERIC_WRITE, 8-bit path
    QueryOnly,  // no data access (device queries only); wide path on the NT family
};

// The device path of a letter: "\\.\X:".
std::string driveDevicePath(char letter);

// Opens the letter's device, shared for reading and writing, OPEN_EXISTING, no flags.
// INVALID_HANDLE_VALUE when the open fails; the caller closes any other handle.
win::HANDLE OpenDriveDevice(platform::Platform& platform, char letter, DeviceOpenMode mode);

// The device's INQUIRY text (vendor, product, revision and vendor bytes as sent, up to the
// first zero byte, at most 92 characters); "" on any failure.
std::string QueryDriveIdentity(platform::Platform& platform, char letter);

// True when the disk sits on a USB or IEEE 1394 bus or reports removable media; false on any
// failure.
bool IsExternalDrive(platform::Platform& platform, char letter);

// "1A2B - 3C4D": the volume serial as two groups of upper-case hexadecimal digits. A volume
// whose information cannot be read gives "" — an unreadable volume shows empty fields, like
// its label and file system, rather than a serial number it does not have.
std::string QueryVolumeSerialText(platform::Platform& platform, char letter);

// The policy key and value that hide drive letters from the shell (HKEY_CURRENT_USER).
extern const char* const kExplorerPolicyKey;
extern const char* const kNoDrivesValue;

enum DriveVisibility { VisibilityHidden = 0, VisibilityVisible = 1, VisibilityNoPolicy = 2 };

// 0 hidden, 1 visible, 2 no policy for the letter (upper or lower case). Opens the policy key
// for full access and creates it when it is missing, as the shell's own readers do. A value
// of any type but REG_DWORD counts as no policy.
int QueryDriveVisibility(platform::Platform& platform, char letter);

// The letter's bit in the policy value: A = 0x1 ... Z = 0x2000000; 0 for a non-letter.
win::DWORD DriveLetterBit(char letter);

// True when `driveName` ("X:") holds a remembered network connection that cannot be reached
// now (ERROR_CONNECTION_UNAVAIL); false for any other answer.
bool IsUnavailableConnection(platform::Platform& platform, const std::string& driveName);

}  // namespace zv::survey
