// The shell launches on Linux: which program each command starts, with which arguments,
// what the user is asked and told, and what happens when the program is missing. The
// programs are stand-ins on PATH that write their arguments to a log.
#include "fake_seam.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace zv::lnx::test {
namespace {

using namespace zv::win;
namespace fs = std::filesystem;

struct Dialogs final : platform::IDesktopDialogs {
    void showDriveProperties(char letter) override { properties.push_back(letter); }
    void showMapNetworkDrive() override {}
    void showDisconnectNetworkDrive() override {}
    bool browseForFolder(const std::string&, std::string*) override { return false; }
    void showMessage(const std::string& title, const std::string& text) override { messages.push_back(title + ": " + text); }
    bool confirm(const std::string& title, const std::string& text) override {
        questions.push_back(title + ": " + text);
        return answer;
    }
    char selectedDrive() override { return selected; }
    void minimizeOwnWindows() override { ++minimized; }

    std::vector<std::string> messages, questions;
    std::string properties;
    bool answer = true;
    char selected = 0;
    int minimized = 0;
};

class ShellStandIns : public ::testing::Test {
protected:
    void SetUp() override {
        m_bin = m_folder.path() + "/bin";
        m_log = m_folder.path() + "/log";
        fs::create_directories(m_bin);
        const char* path = std::getenv("PATH");
        m_oldPath = path ? path : "";
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
            if (const char* value = std::getenv(name)) m_desktop.emplace_back(name, value);
        // Only the stand-ins: the machine's own programs stay out of reach.
        ::setenv("PATH", m_bin.c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        m_platform = makeLinuxPlatform(treeOptions(m_tree, &m_seam));
        m_platform->setDesktopDialogs(&dialogs);
    }
    void TearDown() override {
        m_platform->setDesktopDialogs(nullptr);
        ::setenv("PATH", m_oldPath.c_str(), 1);
        for (const auto& [name, value] : m_desktop) ::setenv(name.c_str(), value.c_str(), 1);
    }

    // A program that logs "name arg1 arg2 ..." and exits with `status`, after printing `output`.
    void install(const std::string& name, int status = 0, const std::string& output = {}) {
        const std::string file = m_bin + "/" + name;
        std::ofstream(file) << "#!/bin/sh\necho \"" << name << " $*\" >> '" << m_log << "'\n"
                            << (output.empty() ? "" : "echo '" + output + "'\n") << "exit " << status << "\n";
        fs::permissions(file, fs::perms::owner_all);
    }

    // A program with its own shell script body, after a line that logs its arguments.
    void installScript(const std::string& name, const std::string& body) {
        const std::string file = m_bin + "/" + name;
        std::ofstream(file) << "#!/bin/sh\necho \"" << name << " $*\" >> '" << m_log << "'\n" << body << "\n";
        fs::permissions(file, fs::perms::owner_all);
    }

    // The log once it holds `lines` lines (programs started in the background write late).
    std::vector<std::string> logLines(size_t lines) {
        std::vector<std::string> result;
        for (int i = 0; i < 250; ++i) {
            result.clear();
            std::ifstream in(m_log);
            for (std::string line; std::getline(in, line);) result.push_back(line);
            if (result.size() >= lines) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return result;
    }

    platform::IShell& shell() { return m_platform->shell(); }
    std::string root() const { return m_tree.root(); }

    Dialogs dialogs;

private:
    RecordedTree m_tree{"laptop"};
    RefusingSeam m_seam;
    TempFolder m_folder;
    std::string m_bin, m_log, m_oldPath;
    std::vector<std::pair<std::string, std::string>> m_desktop;
    std::unique_ptr<platform::Platform> m_platform;
};

TEST_F(ShellStandIns, ExploreOpensTheLettersFolderAndWebPagesTheirAddress) {
    install("xdg-open");
    EXPECT_GT(shell().ShellExecuteA(0, "open", "G:\\", nullptr, nullptr, 1), 32);
    EXPECT_GT(shell().ShellExecuteA(0, "open", "https://example.org/help", nullptr, nullptr, 1), 32);
    auto lines = logLines(2);
    std::sort(lines.begin(), lines.end());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "xdg-open " + root() + "/media/user/MY STICK");
    EXPECT_EQ(lines[1], "xdg-open https://example.org/help");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ShellStandIns, ExploreWithoutAFolderOrWithoutXdgOpenSaysWhy) {
    // F: is the card reader without a card: no folder.
    EXPECT_EQ(shell().ShellExecuteA(0, "open", "F:\\", nullptr, nullptr, 1), 3);
    EXPECT_EQ(shell().ShellExecuteA(0, "open", "G:\\", nullptr, nullptr, 1), 31);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0], "Zorvane: Drive F: has no folder to open: it is not mounted.");
    EXPECT_NE(dialogs.messages[1].find("Install the package xdg-utils."), std::string::npos) << dialogs.messages[1];
    EXPECT_TRUE(logLines(0).empty());
}

TEST_F(ShellStandIns, AFailedOpenSaysWhatIsMissing) {
    // xdg-open's status 3: no program is set up for this kind of folder or address.
    install("xdg-open", 3);
    EXPECT_EQ(shell().ShellExecuteA(0, "explore", "G:\\", nullptr, nullptr, 1), 31);
    EXPECT_EQ(shell().ShellExecuteA(0, "open", "https://example.org/help", nullptr, nullptr, 1), 31);
    // Status 4: the chosen program failed.
    install("xdg-open", 4);
    EXPECT_EQ(shell().ShellExecuteA(0, "open", "file:///usr/share/doc/zorvane/user-guide.html", nullptr, nullptr, 1), 31);
    EXPECT_EQ(logLines(3).size(), 3u) << "xdg-open ran each time";
    ASSERT_EQ(dialogs.messages.size(), 3u);
    EXPECT_EQ(dialogs.messages[0], "Zorvane: Nothing can open \"" + root() +
                                       "/media/user/MY STICK\": no program is set up for it. Install a file manager, "
                                       "or choose one with xdg-mime default.");
    EXPECT_NE(dialogs.messages[1].find("\"https://example.org/help\": no program is set up for it. Install a web browser"),
              std::string::npos)
        << dialogs.messages[1];
    EXPECT_NE(dialogs.messages[2].find("failed to open it (xdg-open ended with status 4)"), std::string::npos)
        << dialogs.messages[2];
}

TEST_F(ShellStandIns, AnOpenerStillRunningAfterTheWaitHasStarted) {
    // xdg-open that runs the chosen program itself: still busy when the wait ends; its
    // later status is nobody's concern.
    installScript("xdg-open", "/bin/sleep 3\nexit 3");  // PATH holds the stand-ins alone
    const auto started = std::chrono::steady_clock::now();
    EXPECT_GT(shell().ShellExecuteA(0, "open", "https://example.org/help", nullptr, nullptr, 1), 32);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2900)) << "the window waited";
    EXPECT_EQ(logLines(1).size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages.front();
}

TEST_F(ShellStandIns, PropertiesOpenTheProgramsOwnSheet) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = 60;
    info.lpVerb = "properties";
    info.lpFile = "d:\\";
    EXPECT_TRUE(shell().ShellExecuteExA(&info));
    EXPECT_EQ(dialogs.properties, "D");
}

TEST_F(ShellStandIns, DefragmentsTheSelectedExt4DriveAfterConfirmation) {
    install("e4defrag");
    dialogs.selected = 'C';
    dialogs.answer = false;
    EXPECT_GT(shell().ShellExecuteA(0, "open", "dfrg.msc", nullptr, nullptr, 1), 32);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_NE(dialogs.questions[0].find("Defragment drive C: (/) with e4defrag?"), std::string::npos) << dialogs.questions[0];
    EXPECT_TRUE(logLines(0).empty());  // refused: nothing runs

    dialogs.answer = true;
    EXPECT_GT(shell().ShellExecuteA(0, "open", "dfrg.msc", nullptr, nullptr, 1), 32);
    const auto lines = logLines(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "e4defrag -v /");
    ASSERT_EQ(dialogs.messages.size(), 1u);  // no terminal here: started in the background
    EXPECT_EQ(dialogs.messages[0], "Defrag: e4defrag has been started; it works in the background.");
}

TEST_F(ShellStandIns, OnADesktopTheDefragmenterRunsInATerminalWindow) {
    install("e4defrag");
    install("x-terminal-emulator");
    ::setenv("DISPLAY", ":99", 1);
    dialogs.selected = 'C';
    EXPECT_GT(shell().ShellExecuteA(0, "open", "dfrg.msc", nullptr, nullptr, 1), 32);
    const auto lines = logLines(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("x-terminal-emulator -e sh -c ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(" sh e4defrag -v /"), std::string::npos) << lines[0];
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ShellStandIns, DefragRefusesWhatCannotBeDefragmented) {
    EXPECT_LE(shell().ShellExecuteA(0, "open", "dfrg.msc", nullptr, nullptr, 1), 32);
    dialogs.selected = 'D';  // FAT32
    EXPECT_LE(shell().ShellExecuteA(0, "open", "dfrg.msc", nullptr, nullptr, 1), 32);
    dialogs.selected = 'F';  // no card
    EXPECT_LE(shell().ShellExecuteA(0, "open", "dfrg.msc", nullptr, nullptr, 1), 32);
    dialogs.selected = 'C';  // ext4, but e4defrag missing
    EXPECT_LE(shell().ShellExecuteA(0, "open", "dfrg.msc", nullptr, nullptr, 1), 32);
    ASSERT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(dialogs.messages[0], "Defrag: Select a drive in the list first.");
    EXPECT_NE(dialogs.messages[1].find("holds a vfat file system, which has no defragmenter"), std::string::npos)
        << dialogs.messages[1];
    EXPECT_EQ(dialogs.messages[2], "Defrag: Drive F: is not mounted, so it cannot be defragmented.");
    EXPECT_EQ(dialogs.messages[3], "Defrag: The defragmenter e4defrag is missing. Install the package e2fsprogs.");
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(ShellStandIns, RemovingAUsbDriveUnmountsItsVolumesThenSwitchesItOff) {
    install("udisksctl");
    dialogs.selected = 'G';
    EXPECT_EQ(shell().WinExec("rundll32.exe shell32.dll,Control_RunDLL hotplug.dll", 1), 33u);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_NE(dialogs.questions[0].find("(/dev/sdc)"), std::string::npos) << dialogs.questions[0];
    EXPECT_EQ(logLines(2), (std::vector<std::string>{"udisksctl unmount -b /dev/sdc1", "udisksctl power-off -b /dev/sdc"}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Remove USB Drive: The USB drive of G: can now be removed safely.");
}

TEST_F(ShellStandIns, AFailedUnmountStopsTheRemovalWithTheToolsMessage) {
    install("udisksctl", 1, "Error unmounting /dev/sdc1: target is busy");
    dialogs.selected = 'G';
    shell().WinExec("rundll32.exe shell32.dll,Control_RunDLL hotplug.dll", 1);
    EXPECT_EQ(logLines(1), (std::vector<std::string>{"udisksctl unmount -b /dev/sdc1"}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find("Drive G: cannot be removed: Error unmounting /dev/sdc1: target is busy"),
              std::string::npos)
        << dialogs.messages[0];
}

TEST_F(ShellStandIns, OnlyUsbDrivesAreRemoved) {
    install("udisksctl");
    dialogs.selected = 'C';
    shell().WinExec("rundll32.exe shell32.dll,Control_RunDLL hotplug.dll", 1);
    EXPECT_EQ(dialogs.messages, (std::vector<std::string>{"Remove USB Drive: Drive C: is no USB drive."}));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_TRUE(logLines(0).empty());
}

TEST_F(ShellStandIns, SearchStartsTheFirstInstalledToolOrNamesThePackages) {
    std::string error;
    EXPECT_EQ(shell().AutomationCall("Shell.Application", "FindFiles", &error), E_FAIL);
    EXPECT_NE(error.find("catfish, kfind or fsearch"), std::string::npos) << error;
    install("kfind");
    install("fsearch");
    EXPECT_EQ(shell().AutomationCall("Shell.Application", "FindFiles", &error), S_OK);
    EXPECT_EQ(logLines(1), (std::vector<std::string>{"kfind "}));
}

TEST_F(ShellStandIns, MinimizeAllWithoutAWindowManagerMinimizesOurOwnWindows) {
    install("wmctrl");
    EXPECT_EQ(shell().AutomationCall("Shell.Application", "MinimizeAll", nullptr), S_OK);
    EXPECT_EQ(dialogs.minimized, 1);
    EXPECT_TRUE(logLines(0).empty());  // no display: the window manager is not asked
    EXPECT_EQ(shell().AutomationCall("Shell.Application", "Undo", nullptr), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(shell().AutomationCall("Word.Application", "MinimizeAll", nullptr), REGDB_E_CLASSNOTREG);
}

TEST_F(ShellStandIns, FormatOpensDisksOnTheSelectedVolumeAndBackupDejaDup) {
    EXPECT_LE(shell().ShellExecuteA(0, "open", "rundll32.exe", "shell32.dll,SHFormatDrive", nullptr, 1), 32);
    EXPECT_LE(shell().ShellExecuteA(0, "open", "ntbackup.exe", nullptr, nullptr, 1), 32);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[0].find("gnome-disk-utility"), std::string::npos);
    EXPECT_NE(dialogs.messages[1].find("deja-dup"), std::string::npos);

    install("gnome-disks");
    install("deja-dup");
    dialogs.selected = 'G';
    EXPECT_GT(shell().ShellExecuteA(0, "open", "C:\\WINDOWS\\System32\\rundll32.exe", "shell32.dll,SHFormatDrive",
                                    nullptr, 1),
              32);
    EXPECT_GT(shell().ShellExecuteA(0, "open", "ntbackup", nullptr, nullptr, 1), 32);
    auto lines = logLines(2);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"deja-dup ", "gnome-disks --block-device /dev/sdc1"}));
}

}  // namespace
}  // namespace zv::lnx::test
