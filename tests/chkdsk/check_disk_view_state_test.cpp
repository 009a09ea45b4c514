// The check disk window's logic: the drive box, the log lines of each kind of check, the
// stop button and the start button during a check.
#include "check_machine.h"
#include "chkdsk/check_disk_view_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zv::chkdsk {
namespace {

using test::checkMachine;
using Lines = std::vector<std::string>;

// Runs a scripted reaction each time the window's events let pending messages run.
class ScriptedPump final : public IEventPump {
public:
    std::function<void()> onPump;
    int pumps = 0;
    void processPendingMessages() override {
        ++pumps;
        if (onPump) onPump();
    }
};

TEST(CheckDiskViewState, TheDriveBoxOffersFixedDrivesOnceEach) {
    auto machine = checkMachine("");
    NullEventPump pump;
    CheckDiskViewState state(*machine, pump);
    state.FormShow();
    state.FormShow();
    EXPECT_EQ(state.driveEntries(), (Lines{"C: [SYSTEM]", "E: [DATA]"}));
}

TEST(CheckDiskViewState, AnEmptyDriveBoxLogsTheInvalidDrive) {
    auto machine = checkMachine(R"({"scripts": {}})");
    NullEventPump pump;
    CheckDiskViewState state(*machine, pump);
    state.Button1Click("");
    EXPECT_EQ(state.log(), (Lines{"Starting Check Disk for :", "Error: Invalid Drive Specification: :\\", ""}));
    EXPECT_EQ(state.outcome(), CheckOutcome::Error);
}

TEST(CheckDiskViewState, ACleanCheckLogsItsCourse) {
    auto machine = checkMachine(R"({"scripts": {"C": [{"progress": 50}, {"line": "Stage 1 complete."},
        {"progress": 100}, {"line": "No problems found."}, {"done": true}]}})");
    ScriptedPump pump;
    CheckDiskViewState state(*machine, pump);
    std::vector<int> progress;
    state.onProgress = [&](int percent) { progress.push_back(percent); };
    state.Button1Click("c: [SYSTEM]");
    EXPECT_EQ(state.log(), (Lines{"Starting Check Disk for C:", "C:\\ Volume Label: SYSTEM, File System: NTFS",
                                  "Stage 1 complete.", "No problems found.", "Check Disk: Finished OK", ""}));
    EXPECT_EQ(progress, (std::vector<int>{0, 50, 100, 0}));
    EXPECT_EQ(pump.pumps, 6);  // every event lets the window breathe
    EXPECT_EQ(state.outcome(), CheckOutcome::FinishedOk);
}

TEST(CheckDiskViewState, ProblemsAreLoggedEvenWhenTheCheckCouldNotFinish) {
    auto machine = checkMachine(R"({"scripts": {"C": [{"problems": true}, {"done": false}]}})");
    NullEventPump pump;
    CheckDiskViewState state(*machine, pump);
    state.Button1Click("C: [SYSTEM]");
    EXPECT_EQ(state.log(), (Lines{"Starting Check Disk for C:", "C:\\ Volume Label: SYSTEM, File System: NTFS",
                                  "The check found problems with the file system.", "Check Disk: Unable to Finish",
                                  "Problems found with C:", ""}));
    EXPECT_EQ(state.outcome(), CheckOutcome::ProblemsFound);
}

TEST(CheckDiskViewState, AFailedOrImpossibleCheckIsLoggedAsFailed) {
    auto missing = checkMachine(R"({"missing": true})");
    NullEventPump pump;
    CheckDiskViewState withoutLibrary(*missing, pump);
    withoutLibrary.Button1Click("C: [SYSTEM]");
    EXPECT_EQ(withoutLibrary.log(), (Lines{"Starting Check Disk for C:", "Check Disk Failed", ""}));
    EXPECT_EQ(withoutLibrary.outcome(), CheckOutcome::Failed);

    auto failing = checkMachine(R"({"scripts": {"E": [{"line": "The volume is dirty."}, {"done": false}]}})");
    CheckDiskViewState state(*failing, pump);
    state.Button1Click("E");
    EXPECT_EQ(state.log(), (Lines{"Starting Check Disk for E:", "E:\\ Volume Label: DATA, File System: FAT32",
                                  "The volume is dirty.", "Check Disk: Unable to Finish", "Check Disk Failed", ""}));
}

TEST(CheckDiskViewState, FixingABusyVolumeLogsDriveInUse) {
    const std::string text = R"({"schema": 1, "drives": [
        {"letter": "C", "type": 3, "volume": {"label": "SYSTEM"}, "device": {"read_write": 32, "query": "ok"}}],
        "checker": {}})";
    auto machine = sim::SimPlatform::fromText(text, "busy.json");
    NullEventPump pump;
    CheckDiskViewState state(*machine, pump);
    state.OptCorrectErrors = true;
    state.Button1Click("C: [SYSTEM]");
    EXPECT_EQ(state.log(), (Lines{"Starting Check Disk for C:", "C:\\ Volume Label: SYSTEM, File System: NTFS",
                                  "Error: Drive In Use: C:\\", ""}));
    EXPECT_EQ(machine->openHandleCount(), 1);  // only the library module
}

TEST(CheckDiskViewState, StopAsksTheCheckerToStop) {
    auto machine = checkMachine(R"({"scripts": {"C": [{"progress": 10}, {"progress": 20}, {"line": "late line"},
        {"done": true}]}})");
    ScriptedPump pump;
    CheckDiskViewState state(*machine, pump);
    // The user presses "Stop" while the first progress message is shown.
    pump.onPump = [&]() {
        if (state.progress() == 10) state.Button2Click();
    };
    state.Button1Click("C");
    EXPECT_EQ(state.log(), (Lines{"Starting Check Disk for C:", "C:\\ Volume Label: SYSTEM, File System: NTFS",
                                  "Check Disk: Unable to Finish", "Check Disk Failed", ""}));
    // The next check runs to its end again.
    pump.onPump = nullptr;
    state.Button1Click("C");
    EXPECT_EQ(state.log()[state.log().size() - 2], "Check Disk: Finished OK");
}

TEST(CheckDiskViewState, CheckDiskIsUnavailableWhileACheckRuns) {
    auto machine = checkMachine(R"({"scripts": {"C": [{"line": "working"}, {"done": true}]}})");
    ScriptedPump pump;
    CheckDiskViewState state(*machine, pump);
    std::vector<bool> running;
    state.onRunningChanged = [&](bool value) { running.push_back(value); };
    pump.onPump = [&]() { state.Button1Click("E"); };  // a second click from inside the first check
    state.Button1Click("C");
    EXPECT_EQ(running, (std::vector<bool>{true, false}));
    EXPECT_EQ(state.log(), (Lines{"Starting Check Disk for C:", "C:\\ Volume Label: SYSTEM, File System: NTFS",
                                  "working", "Check Disk: Finished OK", ""}));
}

}  // namespace
}  // namespace zv::chkdsk
