// The check-disk engine on simulated machines: the callback protocol, the problem phrases,
// the pre-checks, the library load and stopping a check.
#include "chkdsk/fmt_chk_dsk.h"
#include "check_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv::chkdsk {
namespace {

using test::checkMachine;

// Records what the engine's events delivered, in order: "progress N" or "info TEXT".
struct EventLog {
    std::vector<std::string> events;
    int cancelAtProgress = -1;  // answer stop to this percentage
    void attach(TFmtChkDsk& engine) {
        engine.onProgressEvent = [this](int32_t percent, bool& cancel) {
            events.push_back("progress " + std::to_string(percent));
            if (percent == cancelAtProgress) cancel = true;
        };
        engine.onInfoEvent = [this](const std::string& info, bool&) { events.push_back("info " + info); };
    }
};

std::string script(const std::string& events) { return R"({"scripts": {"C": [)" + events + "]}}"; }

TEST(FmtChkDsk, EveryCommandNumberBecomesItsEvent) {
    auto machine = checkMachine(script(R"({"progress": 40}, {"line": "  \tPhase one complete.\r\n"},
        {"command": 7}, {"line": " \r\n "}, {"command": 256}, {"done": true})"));
    TFmtChkDsk engine(*machine);
    EventLog log;
    log.attach(engine);
    EXPECT_TRUE(engine.CheckDisk("C:\\", false, false, false, false));
    const std::vector<std::string> expected = {
        "info C:\\ Volume Label: SYSTEM, File System: NTFS",
        "progress 40",
        "info Phase one complete.",
        "info Check Disk Callback: 7",
        // Only the low byte of the command number counts: 256 is a progress message.
        "progress 0",
        "info Check Disk: Finished OK",
    };
    EXPECT_EQ(log.events, expected);
    EXPECT_TRUE(engine.FinishedOK());
    EXPECT_FALSE(engine.FileSysProblem());
    EXPECT_EQ(engine.FirstErrorLine(), "");
}

TEST(FmtChkDsk, UnsuccessfulDoneWithoutProblemsReturnsFalse) {
    auto machine = checkMachine(script(R"({"line": "Cannot lock the volume."}, {"done": false})"));
    TFmtChkDsk engine(*machine);
    EventLog log;
    log.attach(engine);
    EXPECT_FALSE(engine.CheckDisk("C:\\", false, false, false, false));
    EXPECT_EQ(log.events.back(), "info Check Disk: Unable to Finish");
    EXPECT_FALSE(engine.FinishedOK());
}

struct PhraseCase {
    const char* line;
    bool fileSysProblem;
    bool freeSpaceAlloc;
};

class ProblemPhrases : public ::testing::TestWithParam<PhraseCase> {};

TEST_P(ProblemPhrases, SetTheirFlagAndTheFirstErrorLine) {
    const PhraseCase& c = GetParam();
    auto machine = checkMachine(script(std::string(R"({"line": ")") + c.line + R"("}, {"done": false})"));
    TFmtChkDsk engine(*machine);
    const bool result = engine.CheckDisk("C:\\", false, false, false, false);
    EXPECT_EQ(engine.FileSysProblem(), c.fileSysProblem);
    EXPECT_EQ(engine.FreeSpaceAlloc(), c.freeSpaceAlloc);
    EXPECT_EQ(engine.FirstErrorLine(), c.fileSysProblem || c.freeSpaceAlloc ? c.line : "");
    // Problems make the check's answer true even though the library did not finish.
    EXPECT_EQ(result, c.fileSysProblem);
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, ProblemPhrases,
    ::testing::Values(PhraseCase{"Windows found problems with the file system.", true, false},
                      PhraseCase{"Correcting errors in the master file table.", true, false},
                      PhraseCase{"Errors found. CHKDSK cannot continue.", true, false},
                      PhraseCase{"Run CHKDSK with the /F (fix) option to correct these.", true, false},
                      PhraseCase{"The volume has free space marked as allocated.", false, true},
                      PhraseCase{"Errors found and free space marked as allocated", true, true},
                      PhraseCase{"errors found", false, false}, PhraseCase{"FOUND PROBLEMS", false, false}));

TEST(FmtChkDsk, TheFirstProblemLineStays) {
    auto machine = checkMachine(script(R"({"line": "Stage 1 found problems in index."},
        {"line": "Errors found in stage 2."}, {"line": "free space marked as allocated in bitmap"}, {"done": true})"));
    TFmtChkDsk engine(*machine);
    EXPECT_TRUE(engine.CheckDisk("C:\\", false, false, false, false));
    EXPECT_EQ(engine.FirstErrorLine(), "Stage 1 found problems in index.");
    EXPECT_TRUE(engine.FreeSpaceAlloc());
}

TEST(FmtChkDsk, FlagsBelongToTheLastCheck) {
    auto machine = checkMachine(
        R"({"scripts": {"C": [{"line": "Errors found."}, {"done": false}], "E": [{"done": true}]}})");
    TFmtChkDsk engine(*machine);
    EXPECT_TRUE(engine.CheckDisk("C:\\", false, false, false, false));
    // A failed pre-check leaves the previous results in place.
    EXPECT_THROW(engine.CheckDisk("Q:\\", false, false, false, false), FmtChkException);
    EXPECT_TRUE(engine.FileSysProblem());
    EXPECT_EQ(engine.FirstErrorLine(), "Errors found.");
    EXPECT_TRUE(engine.CheckDisk("E:\\", false, false, false, false));
    EXPECT_FALSE(engine.FileSysProblem());
    EXPECT_EQ(engine.FirstErrorLine(), "");
}

TEST(FmtChkDsk, PreCheckMessages) {
    auto machine = checkMachine(script(R"({"done": true})"));
    TFmtChkDsk engine(*machine);
    const auto messageOf = [&](const std::string& drive, bool fix) {
        try {
            engine.CheckDisk(drive, fix, false, false, false);
        } catch (const FmtChkException& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(messageOf("C", false), "Invalid Drive Specification: C");
    EXPECT_EQ(messageOf("cd", false), "Invalid Drive Specification: CD");
    EXPECT_EQ(messageOf("", false), "Invalid Drive Specification: ");
    EXPECT_EQ(messageOf(":\\", false), "Invalid Drive Specification: :\\");
    EXPECT_EQ(messageOf("q:\\", false), "Drive Not Found: Q:\\");
    EXPECT_EQ(messageOf("g:\\", false), "Drive Not Found: G:\\");
    EXPECT_EQ(messageOf("c:\\", false), "no error");
    EXPECT_EQ(machine->openHandleCount(), 1);  // the library module, kept while the engine lives
}

TEST(FmtChkDsk, FixingABusyVolumeIsRefusedBeforeTheLibraryRuns) {
    const std::string text = R"({"schema": 1, "drives": [
        {"letter": "C", "type": 3, "volume": {"label": "SYSTEM"}, "device": {"read_write": 32, "query": "ok"}}],
        "checker": {"scripts": {"C": [{"line": "should not run"}, {"done": true}]}}})";
    auto machine = sim::SimPlatform::fromText(text, "busy.json");
    TFmtChkDsk engine(*machine);
    EventLog log;
    log.attach(engine);
    try {
        engine.CheckDisk("c:\\", true, false, false, false);
        FAIL() << "no exception";
    } catch (const FmtChkException& error) {
        EXPECT_STREQ(error.what(), "Drive In Use: C:\\");
    }
    EXPECT_EQ(log.events, std::vector<std::string>{"info C:\\ Volume Label: SYSTEM, File System: NTFS"});
    // Without fixing, the volume need not be exclusive.
    EXPECT_TRUE(engine.CheckDisk("C:\\", false, false, false, false));
    EXPECT_EQ(log.events.back(), "info Check Disk: Finished OK");
}

TEST(FmtChkDsk, OptionsReachTheLibraryAsAllBitsSet) {
    auto machine = checkMachine(script(R"({"done": true})"));
    TFmtChkDsk engine(*machine);
    engine.CheckDisk("E:\\", false, true, false, true);
    bool found = false;
    for (const sim::SimCall& call : machine->calls()) {
        if (call.operation != "Chkdsk") continue;
        found = true;
        ASSERT_GE(call.arguments.size(), 6u);
        EXPECT_NE(call.arguments[0].find("E:\\"), std::string::npos);
        EXPECT_NE(call.arguments[1].find("FAT32"), std::string::npos);
        EXPECT_EQ(call.arguments[2], "FALSE");
        EXPECT_EQ(call.arguments[3], "TRUE");
        EXPECT_EQ(call.arguments[4], "FALSE");
        EXPECT_EQ(call.arguments[5], "TRUE");
    }
    EXPECT_TRUE(found);
}

TEST(FmtChkDsk, AMissingLibraryAnswersFalseWithoutEvents) {
    auto machine = checkMachine(R"({"missing": true})");
    TFmtChkDsk engine(*machine);
    EventLog log;
    log.attach(engine);
    EXPECT_FALSE(engine.CheckDisk("C:\\", false, false, false, false));
    // Even an invalid drive raises nothing: the library is tried first.
    EXPECT_FALSE(engine.CheckDisk("C", false, false, false, false));
    EXPECT_TRUE(log.events.empty());
    int loads = 0;
    for (const sim::SimCall& call : machine->calls()) loads += call.operation == "LoadLibraryA";
    EXPECT_EQ(loads, 1);  // the failed attempt is remembered
}

TEST(FmtChkDsk, TheOlderFamilyHasNoCheckLibrary) {
    auto machine = checkMachine(script(R"({"done": true})"), R"("system": {"family": "windows"})");
    TFmtChkDsk engine(*machine);
    EXPECT_FALSE(engine.CheckDisk("C:\\", false, false, false, false));
    for (const sim::SimCall& call : machine->calls()) EXPECT_NE(call.operation, "LoadLibraryA");
}

TEST(FmtChkDsk, TheLibraryIsLoadedOnceAndFreedWithTheLastEngine) {
    auto machine = checkMachine(script(R"({"done": true})"));
    {
        TFmtChkDsk first(*machine);
        TFmtChkDsk second(*machine);
        first.CheckDisk("C:\\", false, false, false, false);
        second.CheckDisk("C:\\", false, false, false, false);
        first.CheckDisk("E:\\", false, false, false, false);
        EXPECT_EQ(machine->openHandleCount(), 1);
    }
    int loads = 0, frees = 0;
    for (const sim::SimCall& call : machine->calls()) {
        loads += call.operation == "LoadLibraryA" && call.arguments[0].find("fmifs") != std::string::npos;
        frees += call.operation == "FreeLibrary";
    }
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(frees, 1);
    EXPECT_EQ(machine->openHandleCount(), 0);
}

TEST(FmtChkDsk, AStopAnswerEndsTheCheck) {
    auto machine = checkMachine(script(R"({"progress": 10}, {"progress": 20}, {"line": "Errors found late."},
        {"done": true})"));
    TFmtChkDsk engine(*machine);
    EventLog log;
    log.cancelAtProgress = 20;
    log.attach(engine);
    EXPECT_FALSE(engine.CheckDisk("C:\\", false, false, false, false));
    const std::vector<std::string> expected = {"info C:\\ Volume Label: SYSTEM, File System: NTFS", "progress 10",
                                               "progress 20", "info Check Disk: Unable to Finish"};
    EXPECT_EQ(log.events, expected);
    EXPECT_FALSE(engine.FileSysProblem());
}

TEST(FmtChkDsk, TheActiveEngineGoesAwayWithItsEngine) {
    auto machine = checkMachine(script(R"({"done": true})"));
    {
        TFmtChkDsk engine(*machine);
        engine.CheckDisk("C:\\", false, false, false, false);
        EXPECT_EQ(TFmtChkDsk::ActiveEngine(), &engine);
    }
    EXPECT_EQ(TFmtChkDsk::ActiveEngine(), nullptr);
    // A message without an engine is answered "continue" and touches nothing.
    platform::TEXTOUTPUT output;
    output.Output = "Errors found";
    EXPECT_EQ(TFmtChkDsk::fmifsCallback(platform::FMIFS_OUTPUT, 0, &output), 1);
}

TEST(FmtChkDsk, AFailingHandlerStopsTheLibraryAndRaisesAfterwards) {
    auto machine = checkMachine(script(R"({"line": "first"}, {"line": "second"}, {"done": true})"));
    TFmtChkDsk engine(*machine);
    std::vector<std::string> seen;
    engine.onInfoEvent = [&](const std::string& info, bool&) {
        seen.push_back(info);
        if (info == "first") throw std::runtime_error("handler failed");
    };
    EXPECT_THROW(engine.CheckDisk("C:\\", false, false, false, false), std::runtime_error);
    EXPECT_EQ(seen.back(), "first");
    // The engine is free for the next check.
    engine.onInfoEvent = nullptr;
    EXPECT_TRUE(engine.CheckDisk("C:\\", false, false, false, false));
}

TEST(FmtChkDsk, ASecondCheckInsideTheFirstIsRefused) {
    auto machine = checkMachine(script(R"({"line": "working"}, {"done": true})"));
    TFmtChkDsk engine(*machine);
    std::string nested;
    engine.onInfoEvent = [&](const std::string& info, bool&) {
        if (info != "working") return;
        try {
            engine.CheckDisk("C:\\", false, false, false, false);
        } catch (const FmtChkException& error) {
            nested = error.what();
        }
    };
    EXPECT_TRUE(engine.CheckDisk("C:\\", false, false, false, false));
    EXPECT_EQ(nested, "Check Disk is already running: C:\\");
}

TEST(TrimLine, RemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ(trimLine(" \t\x01 text with  inner blanks \r\n"), "text with  inner blanks");
    EXPECT_EQ(trimLine("\r\n"), "");
    EXPECT_EQ(trimLine("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");  // UTF-8 bytes are kept
}

}  // namespace
}  // namespace zv::chkdsk
