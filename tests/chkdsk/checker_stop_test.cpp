// Stop during a silent checker: a stand-in e2fsck that prints nothing and keeps a child of
// its own running. The session must give its caller a turn while the checker is silent,
// and a stop must end the checker and its child well within 200 ms.
#include "platform/linux/checker_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace zv::lnx {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace zv::win;

struct StopRecord {
    Clock::time_point start;
    Clock::time_point stopAnswered;
    bool stopSent = false;
    int turnsWhileSilent = 0;
    std::vector<std::string> lines;
    int doneCount = 0;
    bool success = true;
};
StopRecord g_record;
constexpr auto kSilentPhase = std::chrono::milliseconds(400);

BOOLEAN stopAfterSilentPhase(DWORD command, DWORD, void* data) {
    if (command == platform::FMIFS_OUTPUT) g_record.lines.push_back(static_cast<platform::TEXTOUTPUT*>(data)->Output);
    if (command == platform::FMIFS_DONE) {
        ++g_record.doneCount;
        g_record.success = *static_cast<BOOLEAN*>(data) != 0;
    }
    if (command != platform::FMIFS_PROGRESS) return 1;
    ++g_record.turnsWhileSilent;
    if (Clock::now() - g_record.start < kSilentPhase) return 1;
    if (!g_record.stopSent) {
        g_record.stopSent = true;
        g_record.stopAnswered = Clock::now();
    }
    return 0;
}

bool processGone(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return true;
    const auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

class SilentChecker : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("zv-silent-checker-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        const fs::path script = m_dir / "e2fsck";
        std::ofstream(script) << "#!/bin/sh\nsleep 30 &\necho $! > " << (m_dir / "child.pid").string()
                              << "\nwait\n";
        fs::permissions(script, fs::perms::owner_all);
        std::ofstream(m_dir / "volume.img") << "not a file system";
        m_savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (m_dir.string() + ":" + m_savedPath).c_str(), 1);
        g_record = StopRecord{};
    }
    void TearDown() override {
        ::setenv("PATH", m_savedPath.c_str(), 1);
        fs::remove_all(m_dir);
    }

    fs::path m_dir;
    std::string m_savedPath;
};

TEST_F(SilentChecker, StopEndsTheCheckerAndItsChildPromptly) {
    CheckerOptions options;
    g_record.start = Clock::now();
    runCheckSession((m_dir / "volume.img").string(), "ext4", options, &stopAfterSilentPhase);
    const auto returned = Clock::now();

    ASSERT_TRUE(g_record.stopSent) << "the session never gave its caller a turn while the checker was silent";
    // A turn at least every 100 ms during the silent phase.
    EXPECT_GE(g_record.turnsWhileSilent, 4);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(returned - g_record.stopAnswered).count(), 200);

    std::ifstream pidFile(m_dir / "child.pid");
    std::string childPid;
    ASSERT_TRUE(std::getline(pidFile, childPid)) << "the stand-in did not start its child";
    // SIGKILL has been sent by now; the kernel may take a moment to carry it out.
    bool gone = processGone(childPid);
    for (int wait = 0; wait < 20 && !gone; ++wait) {
        ::usleep(5000);
        gone = processGone(childPid);
    }
    EXPECT_TRUE(gone) << "the checker's child " << childPid << " survived the stop";

    ASSERT_FALSE(g_record.lines.empty());
    EXPECT_NE(g_record.lines.back().find("stopped"), std::string::npos) << g_record.lines.back();
    EXPECT_EQ(g_record.doneCount, 1);
    EXPECT_FALSE(g_record.success);
}

}  // namespace
}  // namespace zv::lnx
