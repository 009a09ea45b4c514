#include "actions/drive_hiding.h"

#include "survey/platform_family.h"

#include <string>

namespace zv::actions {

using namespace zv::win;

namespace {

// The policy key, opened (created when missing) with full access, closed on every path.
class PolicyKey {
public:
    explicit PolicyKey(platform::IRegistry& registry) : m_registry(registry) {
        DWORD disposition = 0;
        // The path is absolute under the root: the system takes it without its leading "\".
        const LONG status = m_registry.RegCreateKeyExA(HKEY_CURRENT_USER, kExplorerPolicyKey + 1,
                                                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &m_key, &disposition);
        if (status != ERROR_SUCCESS) m_key = 0;
    }
    ~PolicyKey() {
        if (m_key != 0) m_registry.RegCloseKey(m_key);
    }
    PolicyKey(const PolicyKey&) = delete;
    PolicyKey& operator=(const PolicyKey&) = delete;

    bool isOpen() const { return m_key != 0; }

    bool valueExists() {
        DWORD type = 0;
        DWORD size = 0;
        return m_registry.RegQueryValueExA(m_key, kNoDrivesValue, &type, nullptr, &size) == ERROR_SUCCESS;
    }

    // Reads the value as a 32-bit integer, as the registry class of the runtime does: the read
    // asks for 4 bytes, then checks the type.
    DWORD readInteger() {
        BYTE data[4] = {};
        DWORD type = REG_NONE;
        DWORD size = sizeof data;
        const std::string name = kNoDrivesValue;
        if (m_registry.RegQueryValueExA(m_key, kNoDrivesValue, &type, data, &size) != ERROR_SUCCESS)
            throw CommandError("Failed to get data for '" + name + "'");
        if (type != REG_DWORD) throw CommandError("Invalid data type for '" + name + "'");
        return static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 | static_cast<DWORD>(data[2]) << 16 |
               static_cast<DWORD>(data[3]) << 24;
    }

    bool writeInteger(DWORD value) {
        const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                              static_cast<BYTE>(value >> 24)};
        return m_registry.RegSetValueExA(m_key, kNoDrivesValue, REG_DWORD, data, sizeof data) == ERROR_SUCCESS;
    }

private:
    platform::IRegistry& m_registry;
    HKEY m_key = 0;
};

const char* const kNotHighlighted = "You have not highlighted a drive!";

}  // namespace

DWORD driveLetterBit(char letter) {
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') return 0;
    return DWORD{1} << (letter - 'A');
}

PolicyChange hideDriveLetter(platform::Platform& platform, char letter) {
    const DWORD bit = driveLetterBit(letter);
    if (bit == 0) return PolicyChange::NoLetter;
    PolicyKey key(platform.registry());
    if (!key.isOpen()) return PolicyChange::Failed;
    const DWORD mask = key.valueExists() ? key.readInteger() : 0;
    return key.writeInteger(mask | bit) ? PolicyChange::Written : PolicyChange::Failed;
}

PolicyChange unhideDriveLetter(platform::Platform& platform, char letter) {
    const DWORD bit = driveLetterBit(letter);
    if (bit == 0) return PolicyChange::NoLetter;
    PolicyKey key(platform.registry());
    if (!key.isOpen()) return PolicyChange::Failed;
    if (!key.valueExists()) return PolicyChange::NothingToClear;
    const DWORD mask = key.readInteger();
    if ((mask & bit) != bit) return PolicyChange::NothingToClear;
    return key.writeInteger(mask ^ bit) ? PolicyChange::Written : PolicyChange::Failed;
}

bool HideDriveLetter(platform::Platform& platform, char letter) {
    return hideDriveLetter(platform, letter) == PolicyChange::Written;
}

bool UnhideDriveLetter(platform::Platform& platform, char letter) {
    return unhideDriveLetter(platform, letter) == PolicyChange::Written;
}

// On Windows the value hides the letter in Explorer after a restart. On Linux no file manager
// reads it: it is Zorvane's own mark, shown in the Visibility column from the next refresh.
std::string DriveHidingCommands::hiddenText(const std::string& drive) {
    if (survey::isLinuxSystem(m_platform))
        return "Drive " + drive + " has now been hidden. Zorvane marks it \"Hidden\" from the next refresh of its list. "
               "File managers do not read this mark: the drive stays visible and usable there.";
    return "Drive " + drive +
           " has now been hidden. You must restart windows for change to take effect. Note: Drive will still be visible "
           "in Zorvane.";
}

std::string DriveHidingCommands::unhiddenText(const std::string& drive) {
    if (survey::isLinuxSystem(m_platform))
        return "Drive " + drive + " has now been unhidden. Zorvane marks it \"Visible\" from the next refresh of its list.";
    return "Drive " + drive + " has now been Unhidden. You must restart windows for change to take effect.";
}

std::string DriveHidingCommands::notSavedReason() {
    if (survey::isLinuxSystem(m_platform)) return "Zorvane's settings file could not be written.";
    return "the policy value \"NoDrives\" could not be written to the registry.";
}

void DriveHidingCommands::HideDrive1Click(std::optional<char> selected) {
    if (!selected) {
        m_messages.messageDialog(kNotHighlighted, DialogKind::Warning, DialogButtons::Ok);
        return;
    }
    const std::string drive = std::string(1, *selected) + ":";
    if (m_messages.messageDialog("Are you Sure you want to hide drive " + drive, DialogKind::Confirmation,
                                 DialogButtons::YesNo) != DialogResult::Yes)
        return;
    // A refused write is reported: confirming it would tell the user something untrue.
    if (hideDriveLetter(m_platform, *selected) == PolicyChange::Failed) {
        m_messages.messageDialog("Drive " + drive + " has not been hidden: " + notSavedReason(), DialogKind::Error,
                                 DialogButtons::Ok);
        return;
    }
    m_messages.messageDialog(hiddenText(drive), DialogKind::Information, DialogButtons::Ok);
}

void DriveHidingCommands::UnhideDrive1Click(std::optional<char> selected) {
    if (!selected) {
        m_messages.messageDialog(kNotHighlighted, DialogKind::Warning, DialogButtons::Ok);
        return;
    }
    const std::string drive = std::string(1, *selected) + ":";
    if (unhideDriveLetter(m_platform, *selected) == PolicyChange::Failed) {
        m_messages.messageDialog("Drive " + drive + " has not been unhidden: " + notSavedReason(), DialogKind::Error,
                                 DialogButtons::Ok);
        return;
    }
    m_messages.messageDialog(unhiddenText(drive), DialogKind::Information, DialogButtons::Ok);
}

void DriveHidingCommands::Unhide2Click(std::optional<char> selected) {
    UnhideDrive1Click(selected);
    if (m_refresh) m_refresh();
}

}  // namespace zv::actions
