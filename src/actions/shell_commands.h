// The main window's commands that hand work to the shell and the system's tools: explore,
// properties, the network drive dialogs, search, minimize all, defragmenter, backup, safe
// removal, formatting and the web pages. Each is one call of the platform layer; none keeps
// state or examines the result, except that a failed automation call is raised.
#pragma once

#include "common/ui_services.h"
#include "platform/api/platform.h"

#include <functional>
#include <optional>
#include <string>

namespace zv::actions {

struct WebAddresses {
    std::string homePage;      // the maker's web site
    std::string productPage;   // the product's page (a local user guide will do)
    std::string donationPage;
};

class ShellCommands {
public:
    // `busyCursor(true)` shows the hourglass, `busyCursor(false)` the normal cursor again.
    ShellCommands(platform::Platform& platform, win::HWND mainWindow, win::HWND applicationWindow,
                  WebAddresses addresses, std::function<void(bool)> busyCursor = {})
        : m_platform(platform),
          m_mainWindow(mainWindow),
          m_applicationWindow(applicationWindow),
          m_addresses(std::move(addresses)),
          m_busyCursor(std::move(busyCursor)) {}

    // Opens the selected row's drive in the file manager. `caption` is the selected row's
    // caption, nullopt when no row is selected; the double-click and the list's "Explorer"
    // item show the hourglass while the shell is asked, the toolbar and menu do not.
    void explore(const std::optional<std::string>& caption, bool withHourglass);
    void ListView1DblClick(const std::optional<std::string>& caption) { explore(caption, true); }

    void Properties1Click(std::optional<char> selected);
    // The shell's property sheet of `drive` ("X:").
    bool ShowDriveProperties(const std::string& drive);

    void MapNetworkDrive1Click();
    void DisconnectNetworkDrive1Click();
    // The shell's search window; a shell that cannot be reached raises CommandError.
    void SearchDrive1Click();
    // `method` is "minimizeall" (Tools menu) or "MinimizeAll" (the spare pop-up menu).
    void MinimizeAll1Click(const char* method = "minimizeall");
    void Defrag1Click();
    void NTBackup1Click();
    void NTBackupRestore2Click();
    void RemoveUSBDrive1Click();
    void FormatDisk1Click();
    void Label2Click();
    void ZorvaneHomepage1Click();
    void Donate1Click();
    void Diskflags1Click() {}

private:
    void openWebPage(const std::string& address);
    void automation(const char* method);

    platform::Platform& m_platform;
    win::HWND m_mainWindow;
    win::HWND m_applicationWindow;
    WebAddresses m_addresses;
    std::function<void(bool)> m_busyCursor;
};

}  // namespace zv::actions
