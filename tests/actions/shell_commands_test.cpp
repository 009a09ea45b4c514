#include "actions/shell_commands.h"

#include "actions/selected_drive.h"
#include "support/sim_fixture.h"

namespace zv::test {
namespace {

using actions::ShellCommands;

const std::string kMachine = machineJson(R"("drives": [{"letter": "C", "type": 3}, {"letter": "F", "type": 5}])");

class ShellCommandsTest : public SimFixture {
protected:
    sim::SimPlatform& m = load(kMachine);
    std::vector<bool> cursor;
    ShellCommands commands{m, 0x11, 0x22,
                           {"https://maker.example/", "file:///usr/share/doc/zorvane/user-guide.html",
                            "https://maker.example/donate"},
                           [this](bool busy) { cursor.push_back(busy); }};

    std::vector<std::string> onlyCall(const std::string& operation) {
        const auto calls = callsNamed(m, operation);
        EXPECT_EQ(calls.size(), 1u) << describeCalls(m);
        return calls.empty() ? std::vector<std::string>{} : calls.front()->arguments;
    }
};

TEST_F(ShellCommandsTest, CaptionsGiveLetterAndRootPath) {
    EXPECT_EQ(actions::letterOfCaption("C: "), 'C');
    EXPECT_EQ(actions::letterOfCaption(""), std::nullopt);
    EXPECT_EQ(actions::rootPathOfCaption("C: "), "C:\\");
    EXPECT_EQ(actions::rootPathOfCaption("  X:  "), "X:\\");
    EXPECT_EQ(actions::driveName('F'), "F:");
}

TEST_F(ShellCommandsTest, ExploreOpensTheRootWithEmptyTexts) {
    commands.explore(std::string("C: "), false);
    EXPECT_EQ(onlyCall("ShellExecuteA"), (std::vector<std::string>{"0x11", "explore", "C:\\", "", "", "1"}));
    EXPECT_TRUE(cursor.empty()) << "toolbar and menu keep the cursor";

    m.clearCalls();
    commands.ListView1DblClick(std::string("F: "));
    EXPECT_EQ(onlyCall("ShellExecuteA")[2], "F:\\");
    EXPECT_EQ(cursor, (std::vector<bool>{true, false})) << "the double-click shows the hourglass during the call";
}

TEST_F(ShellCommandsTest, WithoutASelectionNothingIsAsked) {
    commands.explore(std::nullopt, true);
    commands.ListView1DblClick(std::nullopt);
    commands.Properties1Click(std::nullopt);
    EXPECT_TRUE(m.calls().empty()) << describeCalls(m);
    EXPECT_TRUE(cursor.empty());
}

TEST_F(ShellCommandsTest, PropertiesPassTheDriveWithoutBackslash) {
    commands.Properties1Click('C');
    EXPECT_EQ(onlyCall("ShellExecuteExA"),
              (std::vector<std::string>{"60", "0x44C", "0x11", "properties", "C:", "(null)", "(null)", "0", "(null)"}));
    EXPECT_EQ(cursor, (std::vector<bool>{true, false}));
}

TEST_F(ShellCommandsTest, SystemProgramsAreStartedByTheirNames) {
    commands.Defrag1Click();
    commands.NTBackup1Click();
    commands.NTBackupRestore2Click();
    commands.FormatDisk1Click();
    const auto calls = callsNamed(m, "ShellExecuteA");
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0]->arguments, (std::vector<std::string>{"0x0", "", "dfrg.msc", "(null)", "(null)", "1"}));
    EXPECT_EQ(calls[1]->arguments, (std::vector<std::string>{"0x0", "open", "ntbackup", "(null)", "(null)", "1"}));
    EXPECT_EQ(calls[2]->arguments, (std::vector<std::string>{"0x0", "", "ntbackup.exe", "(null)", "(null)", "1"}));
    EXPECT_EQ(calls[3]->arguments,
              (std::vector<std::string>{"0x22", "Open", "C:\\Winnt\\system32\\Rundll32.exe",
                                        "C:\\WINNT\\SYSTEM32\\Shell32.dll,SHFormatDrive", "C:\\Winnt\\", "1"}));

    commands.RemoveUSBDrive1Click();
    EXPECT_EQ(onlyCall("WinExec"), (std::vector<std::string>{"rundll32.exe shell32.dll,Control_RunDLL hotplug.dll", "5"}));
}

TEST_F(ShellCommandsTest, NetworkDialogsAreAskedForDisks) {
    commands.MapNetworkDrive1Click();
    commands.DisconnectNetworkDrive1Click();
    EXPECT_EQ(onlyCall("WNetConnectionDialog"), (std::vector<std::string>{"0x11", "1"}));
    EXPECT_EQ(onlyCall("WNetDisconnectDialog"), (std::vector<std::string>{"0x11", "1"}));
}

TEST_F(ShellCommandsTest, AutomationMethodsKeepTheirSpelling) {
    commands.SearchDrive1Click();
    commands.MinimizeAll1Click("minimizeall");
    commands.MinimizeAll1Click("MinimizeAll");
    const auto calls = callsNamed(m, "AutomationCall");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0]->arguments, (std::vector<std::string>{"Shell.Application", "findfiles"}));
    EXPECT_EQ(calls[1]->arguments, (std::vector<std::string>{"Shell.Application", "minimizeall"}));
    EXPECT_EQ(calls[2]->arguments, (std::vector<std::string>{"Shell.Application", "MinimizeAll"}));
}

TEST_F(ShellCommandsTest, AMissingShellObjectRaisesItsMessage) {
    auto& missing = load(kMachine.substr(0, kMachine.size() - 1) +
                         R"(, "shell": {"automation": [{"prog_id": "Shell.Application", "method": "findfiles",
                              "hresult": 2147746132, "message": "Class not registered\r\n"}]}})");
    ShellCommands failing{missing, 1, 2, {}};
    try {
        failing.SearchDrive1Click();
        ADD_FAILURE() << "no error raised";
    } catch (const CommandError& error) {
        EXPECT_STREQ(error.what(), "Class not registered");
    }
    EXPECT_NO_THROW(failing.MinimizeAll1Click());
}

TEST_F(ShellCommandsTest, WebPagesOpenInTheBrowser) {
    commands.Label2Click();
    commands.ZorvaneHomepage1Click();
    commands.Donate1Click();
    commands.Diskflags1Click();
    const auto calls = callsNamed(m, "ShellExecuteA");
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0]->arguments, (std::vector<std::string>{"0x0", "open", "https://maker.example/", "(null)", "(null)", "1"}));
    EXPECT_EQ(calls[1]->arguments[2], "file:///usr/share/doc/zorvane/user-guide.html");
    EXPECT_EQ(calls[2]->arguments[2], "https://maker.example/donate");
}

}  // namespace
}  // namespace zv::test
