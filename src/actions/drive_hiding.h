// Drive hiding: the per-user policy value "NoDrives" whose bit n hides the letter 'A' + n
// from the shell's views, and the main window's commands that set and clear the bit of the
// selected drive.
#pragma once

#include "common/ui_services.h"
#include "platform/api/platform.h"

#include <functional>
#include <optional>
#include <string>

namespace zv::actions {

inline constexpr const char* kExplorerPolicyKey = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
inline constexpr const char* kNoDrivesValue = "NoDrives";

// What a change of the policy value came to.
enum class PolicyChange {
    Written,         // the new value was stored
    NothingToClear,  // unhide: the value is absent or the letter's bit is clear; nothing written
    NoLetter,        // the character is no letter A-Z; nothing asked of the system
    Failed,          // the key could not be opened or the value could not be written
};

// The bit of a letter (upper or lower case): 1 for A ... 0x02000000 for Z; 0 for any other
// character.
win::DWORD driveLetterBit(char letter);

// Sets the letter's bit, keeping every other bit. A "NoDrives" value that is not a 32-bit
// integer raises CommandError ("Failed to get data for 'NoDrives'" when its data is longer
// than 4 bytes, "Invalid data type for 'NoDrives'" when it fits but has another type);
// nothing is written then.
PolicyChange hideDriveLetter(platform::Platform& platform, char letter);
// Clears the letter's bit when it is set; raises as hideDriveLetter.
PolicyChange unhideDriveLetter(platform::Platform& platform, char letter);

// True when the value was written.
bool HideDriveLetter(platform::Platform& platform, char letter);
// True when the bit was set and the value was written.
bool UnhideDriveLetter(platform::Platform& platform, char letter);

// The commands of the main window. `selected` is the letter of the selected row, nullopt
// when no row is selected. `refresh` runs the drive survey.
class DriveHidingCommands {
public:
    DriveHidingCommands(platform::Platform& platform, IMessages& messages, std::function<void()> refresh)
        : m_platform(platform), m_messages(messages), m_refresh(std::move(refresh)) {}

    void HideDrive1Click(std::optional<char> selected);
    void UnhideDrive1Click(std::optional<char> selected);
    // "Unhide" of the toolbar's drop-down: unhide, then refresh the list.
    void Unhide2Click(std::optional<char> selected);

private:
    // The texts that tell what hiding does and when, in the terms of the system in use.
    std::string hiddenText(const std::string& drive);
    std::string unhiddenText(const std::string& drive);
    std::string notSavedReason();

    platform::Platform& m_platform;
    IMessages& m_messages;
    std::function<void()> m_refresh;
};

}  // namespace zv::actions
