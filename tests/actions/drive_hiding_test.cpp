#include "actions/drive_hiding.h"

#include "scripted_messages.h"
#include "support/sim_fixture.h"

namespace zv::test {
namespace {

using actions::DriveHidingCommands;
using actions::PolicyChange;

const char* const kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

std::string machineWithNoDrives(const std::string& value) {
    std::string drives = R"("drives": [{"letter": "C", "type": 3}, {"letter": "E", "type": 3}])";
    if (value.empty()) return machineJson(drives);
    return machineJson(drives + R"(, "registry": {")" + std::string("Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Policies\\\\Explorer") +
                       R"(": {"NoDrives": )" + value + "}}");
}

class DriveHidingTest : public SimFixture {
protected:
    // The stored "NoDrives" as a 32-bit value; -1 when absent.
    int64_t storedValue() {
        DWORD type = 0;
        std::vector<uint8_t> data;
        if (!machine().registryValue(kKey, "NoDrives", &type, &data)) return -1;
        EXPECT_EQ(type, REG_DWORD);
        EXPECT_EQ(data.size(), 4u);
        if (data.size() != 4) return -2;
        return int64_t(data[0]) | int64_t(data[1]) << 8 | int64_t(data[2]) << 16 | int64_t(data[3]) << 24;
    }
    int writes() { return static_cast<int>(callsNamed(machine(), "RegSetValueExA").size()); }
};

TEST_F(DriveHidingTest, LetterBitsFollowTheAlphabetInEitherCase) {
    EXPECT_EQ(actions::driveLetterBit('A'), 1u);
    EXPECT_EQ(actions::driveLetterBit('c'), 4u);
    EXPECT_EQ(actions::driveLetterBit('Z'), 0x02000000u);
    EXPECT_EQ(actions::driveLetterBit('1'), 0u);
    EXPECT_EQ(actions::driveLetterBit('['), 0u);
}

TEST_F(DriveHidingTest, HideThenUnhideOnAnAbsentValue) {
    auto& m = load(machineWithNoDrives(""));
    EXPECT_EQ(actions::hideDriveLetter(m, 'E'), PolicyChange::Written);
    EXPECT_EQ(storedValue(), 16);
    EXPECT_EQ(actions::unhideDriveLetter(m, 'e'), PolicyChange::Written);
    EXPECT_EQ(storedValue(), 0) << "the value stays, with 0";
}

TEST_F(DriveHidingTest, OtherBitsSurvive) {
    auto& m = load(machineWithNoDrives("67108863"));  // 0x03FFFFFF: every letter hidden
    EXPECT_TRUE(actions::UnhideDriveLetter(m, 'C'));
    EXPECT_EQ(storedValue(), 0x03FFFFFB);

    auto& high = load(machineWithNoDrives(R"({"type": "REG_DWORD", "data": 2147483648})"));
    EXPECT_TRUE(actions::HideDriveLetter(high, 'A'));
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(high.registryValue(kKey, "NoDrives", &type, &data));
    EXPECT_EQ(data, (std::vector<uint8_t>{0x01, 0x00, 0x00, 0x80}));
}

TEST_F(DriveHidingTest, UnhidingAClearBitOrAnAbsentValueWritesNothing) {
    auto& m = load(machineWithNoDrives("4"));
    EXPECT_EQ(actions::unhideDriveLetter(m, 'E'), PolicyChange::NothingToClear);
    EXPECT_EQ(writes(), 0);
    EXPECT_EQ(storedValue(), 4);

    load(machineWithNoDrives(""));
    EXPECT_EQ(actions::unhideDriveLetter(machine(), 'E'), PolicyChange::NothingToClear);
    EXPECT_EQ(writes(), 0);
    EXPECT_EQ(storedValue(), -1);
}

TEST_F(DriveHidingTest, AValueOfAnotherSizeOrTypeIsRefusedWithTheRuntimeText) {
    auto& longer = load(machineWithNoDrives(R"({"type": "REG_BINARY", "bytes": "01 02 03 04 05 06"})"));
    try {
        actions::hideDriveLetter(longer, 'E');
        ADD_FAILURE() << "no error raised";
    } catch (const CommandError& error) {
        EXPECT_STREQ(error.what(), "Failed to get data for 'NoDrives'");
    }
    EXPECT_EQ(writes(), 0);

    auto& binary = load(machineWithNoDrives(R"({"type": "REG_BINARY", "bytes": "04 00 00 00"})"));
    try {
        actions::unhideDriveLetter(binary, 'C');
        ADD_FAILURE() << "no error raised";
    } catch (const CommandError& error) {
        EXPECT_STREQ(error.what(), "Invalid data type for 'NoDrives'");
    }
    EXPECT_EQ(writes(), 0);
}

TEST_F(DriveHidingTest, HideAsksFirstAndConfirmsAfterwards) {
    auto& m = load(machineWithNoDrives(""));
    ScriptedMessages messages;
    int refreshes = 0;
    DriveHidingCommands commands(m, messages, [&] { ++refreshes; });

    messages.answers = {DialogResult::No};
    commands.HideDrive1Click('E');
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Are you Sure you want to hide drive E:");
    EXPECT_EQ(messages.shown[0].kind, DialogKind::Confirmation);
    EXPECT_EQ(messages.shown[0].buttons, DialogButtons::YesNo);
    EXPECT_EQ(storedValue(), -1) << "No leaves the value alone";

    messages.shown.clear();
    messages.answers = {DialogResult::Yes};
    commands.HideDrive1Click('E');
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text,
              "Drive E: has now been hidden. You must restart windows for change to take effect. Note: Drive will "
              "still be visible in Zorvane.");
    EXPECT_EQ(messages.shown[1].kind, DialogKind::Information);
    EXPECT_EQ(storedValue(), 16);
    EXPECT_EQ(refreshes, 0) << "hiding does not refresh the list";
}

// A machine whose system is Linux is told what hiding does there: no file manager reads the
// value, Zorvane's own list marks the drive at its next refresh.
TEST_F(DriveHidingTest, OnLinuxTheTextsSayWhatHidingDoesThere) {
    auto& m = load(machineJson(R"("system": {"version": {"major": 10, "minor": 0, "build": 60100, "service_pack": "Linux 6.1.0"}},
                                  "drives": [{"letter": "C", "type": 3}, {"letter": "E", "type": 3}])"));
    ScriptedMessages messages;
    DriveHidingCommands commands(m, messages, [] {});
    messages.answers = {DialogResult::Yes};
    commands.HideDrive1Click('E');
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text,
              "Drive E: has now been hidden. Zorvane marks it \"Hidden\" from the next refresh of its list. File "
              "managers do not read this mark: the drive stays visible and usable there.");
    EXPECT_EQ(storedValue(), 16);
    commands.UnhideDrive1Click('E');
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text, "Drive E: has now been unhidden. Zorvane marks it \"Visible\" from the next refresh of its list.");
    for (const auto& shown : messages.shown) EXPECT_EQ(shown.text.find("indows"), std::string::npos) << shown.text;
}

TEST_F(DriveHidingTest, UnhideNeverAsksAndTheDropDownRefreshes) {
    auto& m = load(machineWithNoDrives("16"));
    ScriptedMessages messages;
    int refreshes = 0;
    DriveHidingCommands commands(m, messages, [&] { ++refreshes; });

    commands.UnhideDrive1Click('E');
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Drive E: has now been Unhidden. You must restart windows for change to take effect.");
    EXPECT_EQ(storedValue(), 0);
    EXPECT_EQ(refreshes, 0);

    // A clear bit still gets the same message.
    commands.Unhide2Click('E');
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, messages.shown[0].text);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(DriveHidingTest, WithoutASelectionBothWarn) {
    auto& m = load(machineWithNoDrives(""));
    ScriptedMessages messages;
    DriveHidingCommands commands(m, messages, {});
    commands.HideDrive1Click(std::nullopt);
    commands.UnhideDrive1Click(std::nullopt);
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& shown : messages.shown) {
        EXPECT_EQ(shown.text, "You have not highlighted a drive!");
        EXPECT_EQ(shown.kind, DialogKind::Warning);
    }
    EXPECT_TRUE(callsNamed(m, "RegCreateKeyExA").empty());
}

TEST_F(DriveHidingTest, AFailedWriteIsReportedInsteadOfConfirmed) {
    auto& m = load(machineWithNoDrives("16").substr(0, machineWithNoDrives("16").size() - 1) +
                   R"(, "faults": [{"operation": "RegSetValueExA", "error": 5}]})");
    ScriptedMessages messages;
    DriveHidingCommands commands(m, messages, {});
    messages.answers = {DialogResult::Yes};
    commands.HideDrive1Click('C');
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].kind, DialogKind::Error);
    EXPECT_EQ(messages.shown[1].text.find("has now been hidden"), std::string::npos);
    EXPECT_NE(messages.shown[1].text.find("Drive C: has not been hidden"), std::string::npos);

    commands.UnhideDrive1Click('E');
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].kind, DialogKind::Error);
    EXPECT_NE(messages.shown[2].text.find("Drive E: has not been unhidden"), std::string::npos);
}

}  // namespace
}  // namespace zv::test
