// The dialogs the real machine's platform layer shows in place of the Windows ones: the
// drive properties sheet, the network drive dialogs, the folder browser, messages and the
// confirmation asked before a system tool changes a drive.
#pragma once

#include "platform/api/platform.h"

#include <functional>

class QWidget;

namespace zv::app {

class QtDesktopDialogs final : public platform::IDesktopDialogs {
public:
    // `owner` is the main window (may be null before it exists).
    QtDesktopDialogs(platform::Platform& platform, std::function<QWidget*()> owner)
        : m_platform(platform), m_owner(std::move(owner)) {}

    void showDriveProperties(char letter) override;
    void showMapNetworkDrive() override;
    void showDisconnectNetworkDrive() override;
    bool browseForFolder(const std::string& title, std::string* path) override;
    void showMessage(const std::string& title, const std::string& text) override;
    bool confirm(const std::string& title, const std::string& text) override;
    char selectedDrive() override;
    void minimizeOwnWindows() override;

private:
    QWidget* owner() const { return m_owner ? m_owner() : nullptr; }

    platform::Platform& m_platform;
    std::function<QWidget*()> m_owner;
};

}  // namespace zv::app
