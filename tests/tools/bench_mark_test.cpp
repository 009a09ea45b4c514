// The benchmark: its arithmetic, and the honest test of each drive on simulated machines
// (the whole file written, cache bypassed or dropped, never replacing a file, always
// deleting its own).
#include "platform/sim/sim_platform.h"
#include "tools/bench_mark_view_state.h"
#include "tools/read_speed.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace zv::tools {
namespace {

constexpr uint64_t kMs = 1000000;  // nanoseconds

TEST(ReadSpeed, WorkedValues) {
    EXPECT_EQ(readSpeedKbPerSec(kBenchmarkFileSize, 500 * kMs), 20479);
    EXPECT_EQ(readSpeedKbPerSec(kBenchmarkFileSize, 1000 * kMs), 10239);
    EXPECT_EQ(readSpeedKbPerSec(kBenchmarkFileSize, 250 * kMs), 40960);
    EXPECT_EQ(readSpeedKbPerSec(kBenchmarkFileSize, 16 * kMs), 640000);
    EXPECT_EQ(readSpeedKbPerSec(kBenchmarkFileSize, 0), std::nullopt);
    // Bytes per millisecond are cut toward zero before the division by 1.024.
    EXPECT_EQ(readSpeedKbPerSec(1023, 1 * kMs), 999);
    // Fractions of a millisecond count: 0.5 ms for 10 MiB.
    EXPECT_EQ(readSpeedKbPerSec(kBenchmarkFileSize, kMs / 2), 20480000);
    EXPECT_EQ(speedText(20479), "20479 kb/sec");
}

class RecordingMessages final : public IMessages {
public:
    std::vector<std::string> shown;
    void showMessage(const std::string& text) override { shown.push_back(text); }
    DialogResult messageDialog(const std::string& text, DialogKind, DialogButtons) override {
        shown.push_back(text);
        return DialogResult::Ok;
    }
    void messageBox(const std::string& text, const std::string&, MessageIcon) override { shown.push_back(text); }
};

// Hands out the names in order, then numbered ones.
std::function<std::string()> names(std::deque<std::string> list) {
    auto queue = std::make_shared<std::deque<std::string>>(std::move(list));
    auto counter = std::make_shared<int>(0);
    return [queue, counter]() {
        if (queue->empty()) return std::to_string(90000000 + ++*counter) + ".TMP";
        std::string name = queue->front();
        queue->pop_front();
        return name;
    };
}

std::unique_ptr<sim::SimPlatform> machine(const std::string& drives, const std::string& extra = "") {
    return sim::SimPlatform::fromText(
        R"({"schema": 1, "drives": [)" + drives + "]" + (extra.empty() ? "" : "," + extra) + "}", "bench.json");
}

int callsOf(const sim::SimPlatform& platform, const std::string& operation) {
    int count = 0;
    for (const sim::SimCall& call : platform.calls()) count += call.operation == operation;
    return count;
}

// 20 MiB per second: the 10 MiB file reads in 500 ms.
const std::string kTwentyMiB = R"("read_speed": 20971520)";

TEST(BenchMark, TestsTheCheckedKindsAndTimesTheWholeFile) {
    auto platform = machine(R"({"letter": "C", "type": 3, )" + kTwentyMiB + R"(},
        {"letter": "D", "type": 5, "medium_present": false},
        {"letter": "E", "type": 2, "read_speed": 10485760},
        {"letter": "F", "type": 4},
        {"letter": "H", "type": 3, "read_speed": 41943040})");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({}));
    state.Button1Click();
    EXPECT_EQ(state.workList(), (std::vector<std::string>{"C: ", "H: "}));
    ASSERT_EQ(state.rows().size(), 2u);
    EXPECT_EQ(state.rows()[0].Drive, "C:");
    EXPECT_EQ(state.rows()[0].Type, "LOCAL");
    EXPECT_EQ(state.rows()[0].Test, "Read");
    EXPECT_EQ(state.rows()[0].Speed, "20479 kb/sec");
    EXPECT_EQ(state.rows()[0].Notes, "");
    EXPECT_EQ(state.rows()[1].Speed, "40960 kb/sec");
    EXPECT_TRUE(messages.shown.empty());

    // Removable drives join when asked for; rows accumulate.
    state.CheckBox3 = true;
    state.Button1Click();
    ASSERT_EQ(state.rows().size(), 5u);
    EXPECT_EQ(state.rows()[3].Drive, "E:");
    EXPECT_EQ(state.rows()[3].Type, "REMOVABLE");
    EXPECT_EQ(state.rows()[3].Speed, "10239 kb/sec");

    // Every block was written and read; nothing is left behind.
    EXPECT_EQ(callsOf(*platform, "WriteFile"), 5 * 160);
    EXPECT_EQ(callsOf(*platform, "ReadFile"), 5 * 160);
    EXPECT_EQ(platform->openHandleCount(), 0);
    std::string text;
    EXPECT_FALSE(platform->fileText("C:\\90000001.TMP", &text));
}

TEST(BenchMark, CreatesTheFileNewUnbufferedAndDeletedOnClose) {
    auto platform = machine(R"({"letter": "C", "type": 3})");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({"04718263.TMP"}));
    state.BenchmarkDrive('C');
    bool created = false;
    for (const sim::SimCall& call : platform->calls()) {
        if (call.operation != "CreateFileA") continue;
        created = true;
        EXPECT_NE(call.arguments[0].find("C:\\04718263.TMP"), std::string::npos) << call.arguments[0];
        const std::string all = [&] {
            std::string joined;
            for (const auto& argument : call.arguments) joined += argument + " ";
            return joined;
        }();
        // CREATE_NEW (1) and write-through, no buffering, sequential, delete on close.
        EXPECT_NE(all.find("0xAC000080"), std::string::npos) << all;
    }
    EXPECT_TRUE(created);
    ASSERT_EQ(state.rows().size(), 1u);
    EXPECT_TRUE(state.rows()[0].cacheBypassed);
}

TEST(BenchMark, AnExistingFileIsNeverReplaced) {
    auto platform = machine(R"({"letter": "C", "type": 3})",
                            R"("files": [{"path": "C:\\11111111.TMP", "text": "precious"}])");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({"11111111.TMP", "22222222.TMP"}));
    state.BenchmarkDrive('C');
    std::string text;
    ASSERT_TRUE(platform->fileText("C:\\11111111.TMP", &text));
    EXPECT_EQ(text, "precious");
    EXPECT_FALSE(platform->fileText("C:\\22222222.TMP", &text));
    ASSERT_EQ(state.rows().size(), 1u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(BenchMark, AFullDriveCannotCreateTheFileAndKeepsNothing) {
    auto platform = machine(R"({"letter": "C", "type": 3, "space": {"total": 104857600, "free_to_caller": 5242880}},
        {"letter": "H", "type": 3})");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({"12345678.TMP"}));
    state.Button1Click();
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Cannot create file"});
    // No row for C:, the next drive is tested.
    ASSERT_EQ(state.rows().size(), 1u);
    EXPECT_EQ(state.rows()[0].Drive, "H:");
    std::string text;
    EXPECT_FALSE(platform->fileText("C:\\12345678.TMP", &text));
    EXPECT_EQ(platform->openHandleCount(), 0);
}

TEST(BenchMark, AFailedReadDeletesTheFile) {
    auto platform = machine(R"({"letter": "C", "type": 3})",
                            R"("faults": [{"operation": "ReadFile", "target": "C:", "error": 23, "after": 40}])");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({"12345678.TMP"}));
    state.BenchmarkDrive('C');
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Cannot create file"});
    EXPECT_TRUE(state.rows().empty());
    std::string text;
    EXPECT_FALSE(platform->fileText("C:\\12345678.TMP", &text));
    EXPECT_EQ(platform->openHandleCount(), 0);
}

TEST(BenchMark, AReadOnlyRootUsesTheUsersFolderAndSaysSo) {
    auto platform = machine(R"({"letter": "C", "type": 3, "root_writable": false, "writable_folder": "C:\\Users\\ann"})");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({"12345678.TMP"}));
    state.BenchmarkDrive('C');
    ASSERT_EQ(state.rows().size(), 1u);
    EXPECT_EQ(state.rows()[0].folder, "C:\\Users\\ann\\");
    EXPECT_EQ(state.rows()[0].Notes, "file written in C:\\Users\\ann\\");
    EXPECT_TRUE(messages.shown.empty());
}

TEST(BenchMark, WithoutUnbufferedFilesTheCacheIsDroppedAndTheRowSaysSo) {
    // The first open (unbuffered) is refused as the file system refuses O_DIRECT.
    auto platform = machine(R"({"letter": "C", "type": 3})",
                            R"("faults": [{"operation": "CreateFileA", "target": "C:", "error": 87, "count": 1}])");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({"12345678.TMP"}));
    state.runs = 2;
    state.BenchmarkDrive('C');
    ASSERT_EQ(state.rows().size(), 1u);
    EXPECT_FALSE(state.rows()[0].cacheBypassed);
    EXPECT_EQ(callsOf(*platform, "DiscardCachedData"), 2);  // before every timed read
    EXPECT_NE(state.rows()[0].Notes.find("the system's cache could not be bypassed"), std::string::npos);
}

TEST(BenchMark, AVolumeReadThroughACacheSaysSoEvenWithUnbufferedFiles) {
    auto platform = machine(R"({"letter": "C", "type": 3}, {"letter": "D", "type": 3,
                                 "read_cache": "a FUSE file system, whose daemon may read through the page cache"})");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({}));
    state.BenchmarkDrives({'D', 'C'});
    ASSERT_EQ(state.rows().size(), 2u);
    const BenchmarkRow& fuse = state.rows()[0];
    EXPECT_EQ(fuse.Drive, "D:");
    EXPECT_FALSE(fuse.cacheBypassed);
    EXPECT_EQ(fuse.Notes, "reads may still come from a cache: a FUSE file system, whose daemon may read through "
                          "the page cache");
    const BenchmarkRow& plain = state.rows()[1];
    EXPECT_EQ(plain.Drive, "C:");
    EXPECT_TRUE(plain.cacheBypassed);
    EXPECT_EQ(plain.Notes, "");
    EXPECT_EQ(state.workList(), (std::vector<std::string>{"D: ", "C: "}));
}

TEST(BenchMark, SeveralRunsShowTheBestAndTheMean) {
    // The second run is slowed down by 500 ms in total.
    auto platform = machine(R"({"letter": "C", "type": 3, )" + kTwentyMiB + "}",
                            R"("faults": [{"operation": "ReadFile", "target": "C:", "after": 160, "count": 1,
                                           "delay_ms": 500}])");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({}));
    state.runs = 2;
    state.BenchmarkDrive('C');
    ASSERT_EQ(state.rows().size(), 1u);
    const BenchmarkRow& row = state.rows()[0];
    EXPECT_EQ(row.Speed, "20479 kb/sec");
    EXPECT_EQ(row.meanKbPerSec, readSpeedKbPerSec(kBenchmarkFileSize, 750 * kMs));
    EXPECT_EQ(row.Notes, "best of 2 runs, mean " + speedText(*row.meanKbPerSec));
}

TEST(BenchMark, ALargerFileIsWrittenAndReadInWholeBlocks) {
    auto platform = machine(R"({"letter": "C", "type": 3})");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({}));
    state.fileSize = 3 * kBenchmarkBlockSize + 1;
    state.BenchmarkDrive('C');
    EXPECT_EQ(callsOf(*platform, "WriteFile"), 4);
    EXPECT_EQ(callsOf(*platform, "ReadFile"), 4);
}

TEST(BenchMark, AnInstantReadIsNumberTooBig) {
    auto platform = machine(R"({"letter": "C", "type": 3, "read_speed": "1000000000000000000"})");
    RecordingMessages messages;
    BenchMarkViewState state(*platform, messages, names({}));
    state.BenchmarkDrive('C');
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Number too big"});
    ASSERT_EQ(state.rows().size(), 1u);
    EXPECT_EQ(state.rows()[0].Speed, "");
}

}  // namespace
}  // namespace zv::tools
