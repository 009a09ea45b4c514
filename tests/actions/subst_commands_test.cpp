#include "actions/subst_commands.h"

#include "scripted_messages.h"
#include "support/sim_fixture.h"
#include "survey/subst.h"

namespace zv::test {
namespace {

using actions::SubstCommands;
using actions::SubstEntry;

// The dialog as the user leaves it: OK or Cancel with the given fields.
class ScriptedDialog final : public actions::ISubstDialog {
public:
    SubstEntry entry;
    bool ok = true;
    int shown = 0;
    bool execute(SubstEntry* out) override {
        ++shown;
        *out = entry;
        return ok;
    }
};

const std::string kMachine = machineJson(
    R"("drives": [{"letter": "C", "type": 3}], "folders": ["C:\\Temp", "C:\\Data"],
       "substitutes": [{"letter": "S", "target": "C:\\Data"}])");

class SubstCommandsTest : public SimFixture {
protected:
    sim::SimPlatform& m = load(kMachine);
    ScriptedMessages messages;
    ScriptedDialog dialog;
    int refreshes = 0;
    SubstCommands commands{m, messages, dialog, [this] { ++refreshes; }};

    std::string startupText() {
        std::string text;
        return m.fileText("c:\\autoexec.bat", &text) ? text : std::string("(absent)");
    }
};

TEST_F(SubstCommandsTest, CreateDefinesTheLetterAndRefreshes) {
    dialog.entry = {"T", "C:\\Temp\\", false};
    commands.CreateSubstituteDrive1Click();
    const auto defines = callsNamed(m, "DefineDosDeviceA");
    ASSERT_EQ(defines.size(), 1u) << describeCalls(m);
    EXPECT_EQ(defines[0]->arguments, (std::vector<std::string>{"0x0", "T:", "C:\\Temp\\"}))
        << "the path goes to the system exactly as entered";
    EXPECT_EQ(survey::QuerySubstDrive(m, 'T'), "C:\\Temp\\");
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(startupText(), "(absent)");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(SubstCommandsTest, AddToStartupAppendsOneLineEachTime) {
    dialog.entry = {"T", "C:\\Temp\\", true};
    commands.CreateSubstituteDrive1Click();
    EXPECT_EQ(startupText(), "subst T: C:\\Temp\\\r\n");
    commands.CreateSubstituteDrive1Click();
    EXPECT_EQ(startupText(), "subst T: C:\\Temp\\\r\nsubst T: C:\\Temp\\\r\n");
}

TEST_F(SubstCommandsTest, CancelDoesNothing) {
    dialog.ok = false;
    dialog.entry = {"T", "C:\\Temp", true};
    commands.CreateSubstituteDrive1Click();
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_TRUE(callsNamed(m, "DefineDosDeviceA").empty());
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(startupText(), "(absent)");
}

TEST_F(SubstCommandsTest, AnEmptyOrBadLetterIsRefused) {
    EXPECT_FALSE(actions::substEntryProblem({"", "C:\\Temp", false}).empty());
    EXPECT_FALSE(actions::substEntryProblem({"1", "C:\\Temp", false}).empty());
    EXPECT_TRUE(actions::substEntryProblem({"T", "C:\\Temp", false}).empty());

    dialog.entry = {"", "C:\\Temp", true};
    EXPECT_THROW(commands.CreateSubstituteDrive1Click(), CommandError);
    EXPECT_TRUE(callsNamed(m, "DefineDosDeviceA").empty());
    EXPECT_EQ(startupText(), "(absent)") << "no broken start-up line";
}

TEST_F(SubstCommandsTest, AFolderWithALineBreakNeverReachesTheStartupFile) {
    const std::string hostile = "C:\\Temp\nsubst U: /etc";
    EXPECT_FALSE(actions::substEntryProblem({"T", hostile, true}).empty());
    EXPECT_FALSE(actions::substEntryProblem({"T", "C:\\Temp\rX", true}).empty());
    EXPECT_TRUE(actions::substEntryProblem({"T", hostile, false}).empty()) << "the drive alone is fine";

    dialog.entry = {"T", hostile, true};
    EXPECT_THROW(commands.CreateSubstituteDrive1Click(), CommandError);
    EXPECT_TRUE(callsNamed(m, "DefineDosDeviceA").empty()) << "nothing half done";
    EXPECT_EQ(startupText(), "(absent)");
}

TEST_F(SubstCommandsTest, AStartupFileThatCannotBeWrittenRaisesAfterTheDriveIsMade) {
    auto& failing = load(kMachine.substr(0, kMachine.size() - 1) +
                         R"(, "faults": [{"operation": "AppendTextFile", "error": 5}]})");
    SubstCommands withFault{failing, messages, dialog, [this] { ++refreshes; }};
    dialog.entry = {"T", "C:\\Temp", true};
    try {
        withFault.CreateSubstituteDrive1Click();
        ADD_FAILURE() << "no error raised";
    } catch (const CommandError& error) {
        EXPECT_STREQ(error.what(), "I/O error 5");
    }
    EXPECT_EQ(survey::QuerySubstDrive(failing, 'T'), "C:\\Temp") << "the drive stays";
    EXPECT_EQ(refreshes, 0) << "the list is not refreshed";
}

TEST_F(SubstCommandsTest, RemoveTakesAwayOnlySubstituteLetters) {
    commands.RemoveSubstituteDrive1Click('C');
    EXPECT_TRUE(callsNamed(m, "DefineDosDeviceA").empty()) << describeCalls(m);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Drive C: is no substitute drive.");
    EXPECT_EQ(refreshes, 0);

    commands.RemoveSubstituteDrive1Click('S');
    const auto defines = callsNamed(m, "DefineDosDeviceA");
    ASSERT_EQ(defines.size(), 1u);
    EXPECT_EQ(defines[0]->arguments, (std::vector<std::string>{"0x2", "S:", "C:\\Data"}));
    EXPECT_EQ(survey::QuerySubstDrive(m, 'S'), "");
    EXPECT_EQ(refreshes, 1);

    commands.RemoveSubstituteDrive1Click(std::nullopt);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(SubstCommandsTest, ShowDirectoryShowsTheFolderOrNothing) {
    commands.Query1Click('S');
    commands.Query1Click('C');
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].form, ShownMessage::Form::Plain);
    EXPECT_EQ(messages.shown[0].text, "C:\\Data");
    EXPECT_EQ(messages.shown[1].text, "");
}

TEST_F(SubstCommandsTest, TheFolderBrowserSuppressesCriticalErrorsWhileOpen) {
    auto& browsing = load(kMachine.substr(0, kMachine.size() - 1) + R"(, "shell": {"browse_folder": ["C:\\Temp", null]}})");
    std::string path = "unchanged";
    EXPECT_TRUE(actions::browseForSubstFolder(browsing, 7, &path));
    EXPECT_EQ(path, "C:\\Temp");
    path = "unchanged";
    EXPECT_FALSE(actions::browseForSubstFolder(browsing, 7, &path));
    EXPECT_EQ(path, "unchanged") << "a cancel leaves the box as it was";
    const auto browses = callsNamed(browsing, "BrowseForFolderA");
    ASSERT_EQ(browses.size(), 2u);
    EXPECT_EQ(browses[0]->arguments, (std::vector<std::string>{"0x7", "Select Directory", "0x1"}));
    const auto modes = callsNamed(browsing, "SetErrorMode");
    ASSERT_EQ(modes.size(), 4u);
    EXPECT_EQ(modes[0]->arguments.front(), "0x1");
}

}  // namespace
}  // namespace zv::test
