#include "actions/shell_commands.h"

#include "actions/selected_drive.h"

namespace zv::actions {

using namespace zv::win;

namespace {

// The hourglass for the length of one call, restored however the call ends.
class BusyCursor {
public:
    explicit BusyCursor(const std::function<void(bool)>& set) : m_set(set) {
        if (m_set) m_set(true);
    }
    ~BusyCursor() {
        if (m_set) m_set(false);
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    const std::function<void(bool)>& m_set;
};

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace

void ShellCommands::explore(const std::optional<std::string>& caption, bool withHourglass) {
    if (!caption) return;
    const std::string path = rootPathOfCaption(*caption);
    const std::function<void(bool)> none;
    BusyCursor busy(withHourglass ? m_busyCursor : none);
    m_platform.shell().ShellExecuteA(m_mainWindow, "explore", path.c_str(), "", "", SW_SHOWNORMAL);
}

void ShellCommands::Properties1Click(std::optional<char> selected) {
    if (!selected) return;
    ShowDriveProperties(driveName(*selected));
}

bool ShellCommands::ShowDriveProperties(const std::string& drive) {
    BusyCursor busy(m_busyCursor);
    SHELLEXECUTEINFOA info;
    info.cbSize = 60;
    info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = m_mainWindow;
    info.lpVerb = "properties";
    info.lpFile = drive.c_str();
    return m_platform.shell().ShellExecuteExA(&info) != FALSE;
}

void ShellCommands::MapNetworkDrive1Click() { m_platform.network().WNetConnectionDialog(m_mainWindow, RESOURCETYPE_DISK); }

void ShellCommands::DisconnectNetworkDrive1Click() {
    m_platform.network().WNetDisconnectDialog(m_mainWindow, RESOURCETYPE_DISK);
}

void ShellCommands::automation(const char* method) {
    std::string errorText;
    if (m_platform.shell().AutomationCall("Shell.Application", method, &errorText) < 0)
        throw CommandError(withoutLineEnd(errorText));
}

void ShellCommands::SearchDrive1Click() { automation("findfiles"); }

void ShellCommands::MinimizeAll1Click(const char* method) { automation(method); }

void ShellCommands::Defrag1Click() { m_platform.shell().ShellExecuteA(0, "", "dfrg.msc", nullptr, nullptr, SW_SHOWNORMAL); }

void ShellCommands::NTBackup1Click() {
    m_platform.shell().ShellExecuteA(0, "open", "ntbackup", nullptr, nullptr, SW_SHOWNORMAL);
}

void ShellCommands::NTBackupRestore2Click() {
    m_platform.shell().ShellExecuteA(0, "", "ntbackup.exe", nullptr, nullptr, SW_SHOWNORMAL);
}

void ShellCommands::RemoveUSBDrive1Click() {
    m_platform.shell().WinExec("rundll32.exe shell32.dll,Control_RunDLL hotplug.dll", SW_SHOW);
}

void ShellCommands::FormatDisk1Click() {
    m_platform.shell().ShellExecuteA(m_applicationWindow, "Open", "C:\\Winnt\\system32\\Rundll32.exe",
                                     "C:\\WINNT\\SYSTEM32\\Shell32.dll,SHFormatDrive", "C:\\Winnt\\", SW_SHOWNORMAL);
}

void ShellCommands::openWebPage(const std::string& address) {
    m_platform.shell().ShellExecuteA(0, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void ShellCommands::Label2Click() { openWebPage(m_addresses.homePage); }
void ShellCommands::ZorvaneHomepage1Click() { openWebPage(m_addresses.productPage); }
void ShellCommands::Donate1Click() { openWebPage(m_addresses.donationPage); }

}  // namespace zv::actions
