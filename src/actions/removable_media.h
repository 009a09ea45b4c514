// The main window's commands that move or query the medium of the selected drive: load,
// eject, door lock and unlock, the default CD's door, and the inserted medium.
#pragma once

#include "common/ui_services.h"
#include "platform/api/platform.h"

#include <optional>
#include <string>

namespace zv::actions {

// `selected`: the letter of the selected row, nullopt when no row is selected (then every
// command that uses it does nothing). Errors of the commands are raised as CommandError.
class RemovableMediaCommands {
public:
    RemovableMediaCommands(platform::Platform& platform, IMessages& messages, win::HWND mainWindow = 0)
        : m_platform(platform), m_messages(messages), m_mainWindow(mainWindow) {}

    void LoadMedia1Click(std::optional<char> selected);
    void EjectMedia1Click(std::optional<char> selected);
    void LockCDDoor1Click(std::optional<char> selected);
    void UnlockCDDoor1Click(std::optional<char> selected);
    void OpendefaultCD1Click();
    void CloseDefaultCD1Click();
    void InsertedMedia1Click(std::optional<char> selected);

    // Whether the last eject, load, lock or unlock request was carried, the default CD's
    // door command accepted, or the inserted medium named (for the command line).
    bool lastRequestSucceeded() const { return m_lastSucceeded; }

private:
    void LoadDriveMedia(char letter);
    // `drive` is the letter and ":". False with the system's error code in *error.
    bool EjectDriveMedia(const std::string& drive, win::DWORD* error);
    bool SetDoorLock(char letter, bool lock);
    std::string InsertedMediaText(char letter);

    platform::Platform& m_platform;
    IMessages& m_messages;
    win::HWND m_mainWindow;
    bool m_lastSucceeded = false;
};

}  // namespace zv::actions
