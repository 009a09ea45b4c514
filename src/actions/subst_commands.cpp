#include "actions/subst_commands.h"

#include "survey/subst.h"

#include <algorithm>

namespace zv::actions {

std::string substEntryProblem(const SubstEntry& entry) {
    if (entry.letterText.empty()) return "Enter the drive letter of the new substitute drive.";
    const char letter = entry.letterText.front();
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')))
        return "The drive letter must be a letter from A to Z.";
    // The start-up file holds one command a line: a line break in the folder would add a
    // command the user never typed.
    if (entry.addToStartup && std::any_of(entry.path.begin(), entry.path.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
        }))
        return "A folder whose name holds a line break or another control character cannot be added to the "
               "start-up file.";
    return {};
}

std::string startupLine(char letter, const std::string& path) {
    return "subst " + std::string(1, letter) + ": " + path;
}

void AppendStartupLine(platform::Platform& platform, const std::string& line) {
    if (!platform.io().AppendTextFile(kStartupFile, line + "\r\n"))
        throw CommandError("I/O error " + std::to_string(platform.GetLastError()));
}

bool browseForSubstFolder(platform::Platform& platform, win::HWND owner, std::string* path) {
    auto& drives = platform.drives();
    const win::UINT previous = drives.SetErrorMode(win::SEM_FAILCRITICALERRORS);
    std::string chosen;
    const bool ok = platform.shell().BrowseForFolderA(owner, "Select Directory", win::BIF_RETURNONLYFSDIRS, &chosen) != win::FALSE;
    drives.SetErrorMode(previous);
    if (ok && path) *path = chosen;
    return ok;
}

void SubstCommands::CreateSubstituteDrive1Click() {
    SubstEntry entry;
    if (!m_dialog.execute(&entry)) return;
    // The dialog refuses an unusable entry already; a letter box left empty must never be
    // read past its end.
    if (const std::string problem = substEntryProblem(entry); !problem.empty()) throw CommandError(problem);
    const char letter = entry.letterText.front();
    survey::CreateSubstDrive(m_platform, letter, entry.path);
    if (entry.addToStartup) AppendStartupLine(m_platform, startupLine(letter, entry.path));
    if (m_refresh) m_refresh();
}

void SubstCommands::RemoveSubstituteDrive1Click(std::optional<char> selected) {
    if (!selected) return;
    if (survey::QuerySubstDrive(m_platform, *selected).empty()) {
        m_messages.messageDialog("Drive " + std::string(1, *selected) + ": is no substitute drive.",
                                 DialogKind::Information, DialogButtons::Ok);
        return;
    }
    survey::RemoveSubstDrive(m_platform, *selected);
    if (m_refresh) m_refresh();
}

void SubstCommands::Query1Click(std::optional<char> selected) {
    if (!selected) return;
    m_messages.showMessage(survey::QuerySubstDrive(m_platform, *selected));
}

}  // namespace zv::actions
