// Substitute drives from the main window: the dialog that asks for the letter and folder,
// creation (optionally remembered in the start-up file), removal and the folder query.
#pragma once

#include "common/ui_services.h"
#include "platform/api/platform.h"

#include <functional>
#include <optional>
#include <string>

namespace zv::actions {

inline constexpr const char* kStartupFile = "c:\\autoexec.bat";

// What the substitute dialog holds (it keeps its contents between uses).
struct SubstEntry {
    std::string letterText;   // the drive letter box (one upper-case character when filled)
    std::string path;         // the path box, as entered
    bool addToStartup = false;
};

// The dialog, shown modally. Returns true when it closed with OK; `entry` holds its fields.
class ISubstDialog {
public:
    virtual ~ISubstDialog() = default;
    virtual bool execute(SubstEntry* entry) = 0;
};

// Why the dialog's OK must be refused, or "" when the entry can be used: no letter, not a
// letter, or a folder with a control character that is to go to the start-up file.
std::string substEntryProblem(const SubstEntry& entry);

// "subst X: path" as the start-up file carries it.
std::string startupLine(char letter, const std::string& path);

// Appends the line and CR LF to "c:\autoexec.bat", creating the file when absent. A failure
// raises CommandError with the runtime's input/output error ("I/O error 5").
void AppendStartupLine(platform::Platform& platform, const std::string& line);

// `SpeedButton1Click`: the system's folder browser owned by `owner`, titled "Select
// Directory", file-system folders only, with critical-error boxes suppressed while it is
// open. True and the folder's path when the user chose one.
bool browseForSubstFolder(platform::Platform& platform, win::HWND owner, std::string* path);

class SubstCommands {
public:
    SubstCommands(platform::Platform& platform, IMessages& messages, ISubstDialog& dialog,
                  std::function<void()> refresh)
        : m_platform(platform), m_messages(messages), m_dialog(dialog), m_refresh(std::move(refresh)) {}

    void CreateSubstituteDrive1Click();
    // Removes the selected letter's substitute definition and refreshes the list. A letter
    // that is no substitute drive is left alone and the user is told so.
    void RemoveSubstituteDrive1Click(std::optional<char> selected);
    // Shows the folder of the selected substitute letter (empty for any other letter).
    void Query1Click(std::optional<char> selected);

private:
    platform::Platform& m_platform;
    IMessages& m_messages;
    ISubstDialog& m_dialog;
    std::function<void()> m_refresh;
};

}  // namespace zv::actions
