#include "actions/removable_media.h"

#include "diskinfo/system_message.h"
#include "optical/media_profiles.h"
#include "optical/mmc_commands.h"

#include <array>
#include <cstdio>
#include <string>

namespace zv::actions {

using namespace zv::win;

namespace {

// A number never stands alone: ": <the system's words>", or "" when the system has none.
std::string wordsAfterNumber(platform::Platform& platform, DWORD error) {
    const std::string words = diskinfo::systemMessage(platform, error);
    return words.empty() ? std::string() : ": " + words;
}

std::string rootPath(char letter) { return std::string(1, letter) + ":\\"; }

// Load and eject open the device for reading, shared for reading, read-only attribute.
HANDLE openForLoadAndEject(platform::Platform& platform, char letter) {
    return platform.io().CreateFileA(optical::devicePath(letter).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_READONLY);
}

}  // namespace

void RemovableMediaCommands::LoadMedia1Click(std::optional<char> selected) {
    if (!selected) return;
    const char letter = *selected;
    if (m_platform.drives().GetDriveTypeA(rootPath(letter).c_str()) != DRIVE_CDROM)
        throw CommandError("CD/DVD drive not selected");
    LoadDriveMedia(letter);
}

// `LoadDriveMedia`. A device that cannot be opened gets no request: the handle would only
// make the request fail in turn.
void RemovableMediaCommands::LoadDriveMedia(char letter) {
    m_lastSucceeded = false;
    const HANDLE device = openForLoadAndEject(m_platform, letter);
    if (device == INVALID_HANDLE_VALUE) {
        m_messages.showMessage("Error");
        return;
    }
    DWORD returned = 0;
    m_lastSucceeded = m_platform.io().DeviceIoControl(device, IOCTL_STORAGE_LOAD_MEDIA, nullptr, 0, nullptr, 0,
                                                      &returned) != 0;
    m_platform.io().CloseHandle(device);
}

void RemovableMediaCommands::EjectMedia1Click(std::optional<char> selected) {
    if (!selected) return;
    const char letter = *selected;
    const UINT type = m_platform.drives().GetDriveTypeA(rootPath(letter).c_str());
    if (type != DRIVE_CDROM && type != DRIVE_REMOVABLE)
        throw CommandError("The selected drive is not a CD/DVD drive.");
    DWORD error = 0;
    if (!EjectDriveMedia(std::string(1, letter) + ":", &error)) {
        const std::string words = diskinfo::systemMessage(m_platform, error);
        m_messages.showMessage("Eject Failed: " + std::to_string(error) + (words.empty() ? "" : " (" + words + ")"));
    }
}

// `EjectDriveMedia`: the error of a failed request is read before the handle is closed.
// When the device cannot be opened, the reason of the failed open is the one reported.
bool RemovableMediaCommands::EjectDriveMedia(const std::string& drive, DWORD* error) {
    m_lastSucceeded = false;
    auto& io = m_platform.io();
    const HANDLE device = openForLoadAndEject(m_platform, drive[0]);
    if (device == INVALID_HANDLE_VALUE) {
        *error = m_platform.GetLastError();
        m_messages.showMessage("Error");
        return false;
    }
    DWORD returned = 0;
    m_lastSucceeded = io.DeviceIoControl(device, IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0, &returned) != 0;
    *error = m_lastSucceeded ? 0 : m_platform.GetLastError();
    io.CloseHandle(device);
    return m_lastSucceeded;
}

void RemovableMediaCommands::LockCDDoor1Click(std::optional<char> selected) {
    if (selected) SetDoorLock(*selected, true);
}

void RemovableMediaCommands::UnlockCDDoor1Click(std::optional<char> selected) {
    if (selected) SetDoorLock(*selected, false);
}

// `SetDoorLock`. The device is opened exclusively, so a drive that another program holds
// open cannot be locked. A refused request is reported as such rather than confirmed.
bool RemovableMediaCommands::SetDoorLock(char letter, bool lock) {
    m_lastSucceeded = false;
    auto& io = m_platform.io();
    const HANDLE device = io.CreateFileA(optical::devicePath(letter).c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0);
    if (device == INVALID_HANDLE_VALUE) {
        m_messages.messageBox("Cannot lock/unlock non-CDROM!", "", MessageIcon::Error);
        return false;
    }
    const BYTE preventMediaRemoval = lock ? 1 : 0;
    DWORD returned = 0;
    m_lastSucceeded = io.DeviceIoControl(device, IOCTL_STORAGE_MEDIA_REMOVAL, &preventMediaRemoval, 1, nullptr, 0,
                                         &returned) != 0;
    const DWORD error = m_lastSucceeded ? 0 : m_platform.GetLastError();
    io.CloseHandle(device);
    const std::string drive = "CD/DVD Drive " + std::string(1, letter) + ": door ";
    if (m_lastSucceeded) {
        m_messages.messageDialog(drive + (lock ? "now locked." : "now unlocked."), DialogKind::Information,
                                 DialogButtons::Ok);
    } else {
        m_messages.messageDialog(drive + (lock ? "could not be locked" : "could not be unlocked") + " (error " +
                                     std::to_string(error) + wordsAfterNumber(m_platform, error) + ").",
                                 DialogKind::Error, DialogButtons::Ok);
    }
    return m_lastSucceeded;
}

// The default CD audio device's door. The outcome is not reported; the command line reads
// it from lastRequestSucceeded().
void RemovableMediaCommands::OpendefaultCD1Click() {
    m_lastSucceeded = m_platform.shell().mciSendStringA("Set cdaudio door open wait", nullptr, 0, m_mainWindow) == 0;
}

void RemovableMediaCommands::CloseDefaultCD1Click() {
    m_lastSucceeded = m_platform.shell().mciSendStringA("Set cdaudio door closed wait", nullptr, 0, m_mainWindow) == 0;
}

void RemovableMediaCommands::InsertedMedia1Click(std::optional<char> selected) {
    if (!selected) return;
    const char letter = *selected;
    if (m_platform.drives().GetDriveTypeA(rootPath(letter).c_str()) != DRIVE_CDROM)
        throw CommandError("CD/DVD drive not selected");
    m_messages.showMessage(InsertedMediaText(letter));
}

// The message names what the drive holds; a failed request or a profile number without a
// row says so instead of reading past the table.
std::string RemovableMediaCommands::InsertedMediaText(char letter) {
    auto& io = m_platform.io();
    const HANDLE device = io.CreateFileA(optical::devicePath(letter).c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    std::optional<uint16_t> profile;
    if (device != INVALID_HANDLE_VALUE) {
        profile = optical::ReadCurrentProfile(m_platform, device);
        io.CloseHandle(device);
    }
    m_lastSucceeded = profile.has_value() && optical::isKnownProfile(*profile);
    return std::string(1, letter) + ": Contains disk type: " + optical::describeProfile(profile);
}

}  // namespace zv::actions
