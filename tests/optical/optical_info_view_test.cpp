// The optical window's logic: the drive box, the fields, the capability lines and the buttons.
#include "optical/optical_info_view.h"
#include "optical_machine.h"

#include <gtest/gtest.h>

namespace zv::optical {
namespace {

using namespace zv::optical::testing;

struct ViewOn {
    std::unique_ptr<sim::SimPlatform> m;
    RecordingMessages messages;
    ScriptedPump pump;
    OpticalInfoView view;
    explicit ViewOn(std::unique_ptr<sim::SimPlatform> machine) : m(std::move(machine)), view(*m, messages, pump) {}
};

TEST(OpticalWindow, DriveBoxListsEachOpticalDriveOnce) {
    ViewOn w(exampleMachine());
    w.view.FormShow();
    w.view.FormShow();
    EXPECT_EQ(w.view.driveEntries(),
              (std::vector<std::string>{"D: [MYDISC]", "E: [AUDIO_CD]", "F: []", "G: [BACKUP]"}));
    EXPECT_EQ(w.view.driveText(), "D: [MYDISC]");
    EXPECT_EQ(w.view.fields().vendor, "TSSTcorp");
    EXPECT_EQ(w.view.fields().productId, "CDDVDW SH-S203N ");
    EXPECT_EQ(w.view.fields().revision, "SB01");
    EXPECT_EQ(w.view.fields().vendorSpec, "2007/05/22");
    ASSERT_FALSE(w.view.capabilityLines().empty());
    EXPECT_EQ(w.view.capabilityLines().front(), "Read CD-R");
    EXPECT_EQ(w.view.capabilityLines().back(), "Max Write Speed: 40x");
    EXPECT_EQ(w.m->openHandleCount(), 0);
}

TEST(OpticalWindow, ChoosingAndTypingADrive) {
    ViewOn w(exampleMachine());
    w.view.FormShow();
    w.view.setDriveText("E: [AUDIO_CD]");
    w.view.cbDriveChange();
    EXPECT_EQ(w.view.fields().vendor, "HL-DT-ST");
    EXPECT_EQ(w.view.capabilityLines(), (std::vector<std::string>{"Read CD-R", "Read CD-RW", "Device Buffer: 128k",
                                                                  "Max Read Speed: 40x", "Max Write Speed: 0x"}));
    // A typed letter with no device: the fields and the list empty.
    w.view.setDriveText("q");
    w.view.cbDriveChange();
    EXPECT_EQ(w.view.fields().vendor, "");
    EXPECT_TRUE(w.view.capabilityLines().empty());
    // An empty box changes nothing.
    w.view.setDriveText("E: [AUDIO_CD]");
    w.view.cbDriveChange();
    w.view.setDriveText("");
    w.view.cbDriveChange();
    EXPECT_EQ(w.view.fields().vendor, "HL-DT-ST");
}

TEST(OpticalWindow, MachineWithoutOpticalDrives) {
    ViewOn w(machine(R"({"letter": "C", "type": 3})"));
    w.view.FormShow();
    EXPECT_TRUE(w.view.driveEntries().empty());
    EXPECT_EQ(w.view.driveText(), "");
    EXPECT_NO_THROW(w.view.Button1Click());
    EXPECT_NO_THROW(w.view.Button2Click());
    EXPECT_NO_THROW(w.view.Button3Click());
    EXPECT_TRUE(w.messages.shown.empty());
}

TEST(OpticalWindow, DriveWithoutCdRReadShowsAnEmptyFirstLine) {
    ViewOn w(machine(opticalDrive(R"({"mode_page_2a": {"read_cd_rw": true}})")));
    w.view.FormShow();
    ASSERT_GE(w.view.capabilityLines().size(), 2u);
    EXPECT_EQ(w.view.capabilityLines()[0], "");
    EXPECT_EQ(w.view.capabilityLines()[1], "Read CD-RW");
}

TEST(OpticalWindow, ReadOvertakenByANewerSelectionKeepsTheNewerLines) {
    ViewOn w(exampleMachine());
    w.view.FormShow();
    bool nested = false;
    w.pump.action = [&] {
        if (nested) return;
        nested = true;
        w.view.setDriveText("E: [AUDIO_CD]");
        w.view.cbDriveChange();
    };
    w.view.setDriveText("D: [MYDISC]");
    w.view.cbDriveChange();
    EXPECT_EQ(w.view.capabilityLines().front(), "Read CD-R");
    EXPECT_EQ(w.view.capabilityLines().size(), 5u) << "E:'s five lines, not D:'s";
}

int mciCalls(const sim::SimPlatform& m) {
    int count = 0;
    for (const auto& call : m.calls()) count += call.operation == "mciSendCommandA";
    return count;
}

bool readable(sim::SimPlatform& m, char letter) {
    const char root[4] = {letter, ':', '\\', 0};
    char label[261] = {}, fileSystem[261] = {};
    return m.drives().GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, fileSystem,
                                            sizeof fileSystem) != 0;
}

TEST(OpticalWindow, AnalyseAndTrayButtons) {
    ViewOn w(exampleMachine());
    w.view.FormShow();
    w.view.Button3Click();
    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.shown[0].kind, "Information");
    EXPECT_EQ(w.messages.shown[0].text, "The Inserted media is DVD-ROM");

    w.m->clearCalls();
    w.view.Button1Click();
    EXPECT_EQ(mciCalls(*w.m), 3) << "open, door open, close";
    EXPECT_FALSE(readable(*w.m, 'D')) << "the tray is open";
    EXPECT_EQ(w.messages.shown.size(), 1u) << "no outcome is reported";

    w.view.Button3Click();
    EXPECT_EQ(w.messages.shown.back().text, "The Inserted media is No Current Profile");
    w.view.Button2Click();
    EXPECT_EQ(mciCalls(*w.m), 6);
    EXPECT_EQ(w.m->openHandleCount(), 0);
}

TEST(OpticalWindow, TrayButtonsCheckTheDriveType) {
    ViewOn w(exampleMachine());
    w.view.FormShow();
    w.view.setDriveText("C");
    try {
        w.view.Button1Click();
        ADD_FAILURE() << "no error";
    } catch (const CommandError& error) {
        EXPECT_STREQ(error.what(), "Cannot eject drive.");
    }
    // A typed removable letter: "Open Tray" sends the door command, "Close Tray" refuses.
    w.m->clearCalls();
    w.view.setDriveText("H");
    EXPECT_NO_THROW(w.view.Button1Click());
    EXPECT_EQ(mciCalls(*w.m), 1) << "the CD audio device does not open on a disk: nothing more is sent";
    try {
        w.view.Button2Click();
        ADD_FAILURE() << "no error";
    } catch (const CommandError& error) {
        EXPECT_STREQ(error.what(), "Cannot access drive.");
    }
}

TEST(OpticalWindow, AnalyseWithoutAProfileRow) {
    ViewOn w(machine(opticalDrive(R"({"profile": "0x0099"})") + "," + opticalDrive("{}", "", 'E'),
                     R"("faults": [{"operation": "ScsiPassThroughDirect", "target": "E:", "opcode": "0x46", "error": 31}])"));
    w.view.FormShow();
    for (const char* drive : {"D", "E", "Q"}) {
        w.view.setDriveText(drive);
        try {
            w.view.Button3Click();
            ADD_FAILURE() << drive;
        } catch (const CommandError& error) {
            EXPECT_STREQ(error.what(), "Error reading disc!");
        }
    }
    EXPECT_TRUE(w.messages.shown.empty());
    EXPECT_EQ(w.m->openHandleCount(), 0);
}

}  // namespace
}  // namespace zv::optical
