// Real checks on loop images, as root: a clean ext4, one damaged on purpose with debugfs,
// and a mounted one that cannot be fixed ("Drive In Use"). Skipped with the reason when
// not root or when loop devices are not available; every mount and loop device is
// released, whatever happens.
#include "chkdsk/check_disk_view_state.h"
#include "platform/linux/checker_session.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/linux_platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zv::lnx {
namespace {

namespace fs = std::filesystem;

std::string run(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return "";
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    if (::pclose(pipe) != 0) output = "FAILED: " + output;
    return output;
}

// What the check library delivered through the callback.
struct Delivered {
    std::vector<std::string> lines;
    std::vector<int> progress;
    int doneCount = 0;
    bool success = false;
};
Delivered g_delivered;

BOOLEAN collect(DWORD command, DWORD, void* data) {
    if (command == platform::FMIFS_PROGRESS) g_delivered.progress.push_back(int(*static_cast<DWORD*>(data)));
    if (command == platform::FMIFS_OUTPUT) g_delivered.lines.push_back(static_cast<platform::TEXTOUTPUT*>(data)->Output);
    if (command == platform::FMIFS_DONE) {
        ++g_delivered.doneCount;
        g_delivered.success = *static_cast<BOOLEAN*>(data) != 0;
    }
    return 1;
}

class LoopImage : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "real checks need root (loop devices, mounts)";
        if (run("command -v losetup mkfs.ext4 debugfs e2fsck").rfind("FAILED", 0) == 0)
            GTEST_SKIP() << "losetup, mkfs.ext4, debugfs or e2fsck is missing";
        m_dir = fs::temp_directory_path() / ("zv-chkdsk-root-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "mnt");
        m_image = (m_dir / "volume.img").string();
        ASSERT_EQ(run("truncate -s 32M " + m_image + " && mkfs.ext4 -q -F -L ZVCHECK " + m_image).rfind("FAILED", 0),
                  std::string::npos);
        std::string device = run("losetup -f --show " + m_image);
        if (device.rfind("FAILED", 0) == 0 || device.empty()) GTEST_SKIP() << "no loop device: " << device;
        m_loop = device.substr(0, device.find('\n'));
        g_delivered = Delivered{};
    }
    void TearDown() override {
        if (m_mounted) run("umount " + (m_dir / "mnt").string());
        if (!m_loop.empty()) run("losetup -d " + m_loop);
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }
    void mount() {
        ASSERT_EQ(run("mount " + m_loop + " " + (m_dir / "mnt").string()).rfind("FAILED", 0), std::string::npos);
        m_mounted = true;
    }
    static CheckerOptions options(bool fix) {
        CheckerOptions o;
        o.fix = fix;
        return o;
    }
    bool lineContains(const std::string& words) const {
        for (const std::string& line : g_delivered.lines)
            if (line.find(words) != std::string::npos) return true;
        return false;
    }

    fs::path m_dir;
    std::string m_image;
    std::string m_loop;
    bool m_mounted = false;
};

TEST_F(LoopImage, ACleanVolumeFinishesWithoutProblems) {
    runCheckSession(m_loop, "ext4", options(false), &collect);
    EXPECT_EQ(g_delivered.doneCount, 1);
    EXPECT_TRUE(g_delivered.success);
    EXPECT_TRUE(lineContains("Pass 5"));
    EXPECT_EQ(g_delivered.lines.back(), "The checker reported no problems (e2fsck exit status 0).");
    ASSERT_FALSE(g_delivered.progress.empty());
    EXPECT_EQ(g_delivered.progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(g_delivered.progress.begin(), g_delivered.progress.end()));
}

TEST_F(LoopImage, ADamagedVolumeIsReportedThenFixed) {
    // Clearing the root directory's inode leaves a file system e2fsck must repair.
    ASSERT_EQ(run("debugfs -w -R 'clri <2>' " + m_loop).rfind("FAILED", 0), std::string::npos);
    runCheckSession(m_loop, "ext4", options(false), &collect);
    EXPECT_NE(g_delivered.lines.back().find("found problems"), std::string::npos) << g_delivered.lines.back();
    EXPECT_NE(g_delivered.lines.back().find("exit status 12"), std::string::npos) << g_delivered.lines.back();

    g_delivered = Delivered{};
    runCheckSession(m_loop, "ext4", options(true), &collect);
    // Problems, even corrected ones, end without the done message.
    EXPECT_EQ(g_delivered.doneCount, 0);
    EXPECT_NE(g_delivered.lines.back().find("found problems and corrected them"), std::string::npos)
        << g_delivered.lines.back();

    g_delivered = Delivered{};
    runCheckSession(m_loop, "ext4", options(false), &collect);
    EXPECT_TRUE(g_delivered.success);
    EXPECT_EQ(g_delivered.lines.back(), "The checker reported no problems (e2fsck exit status 0).");
}

TEST_F(LoopImage, AMissingCheckerIsSaid) {
    runCheckSession(m_loop, "udf", options(false), &collect);
    EXPECT_FALSE(g_delivered.success);
    EXPECT_EQ(g_delivered.lines, std::vector<std::string>{"There is no checker for the file system udf on this machine."});
}

TEST_F(LoopImage, AMountedVolumeIsCheckedButNotFixed) {
    mount();
    LinuxOptions linuxOptions = defaultLinuxOptions();
    char letter = 0;
    {
        LinuxContext letters(linuxOptions);
        for (const auto& target : letters.targets())
            if (target.mountPoint == (m_dir / "mnt").string()) letter = target.letter;
    }
    ASSERT_NE(letter, 0) << "the mounted image got no drive letter";
    auto platform = makeLinuxPlatform(linuxOptions);
    NullEventPump pump;
    chkdsk::CheckDiskViewState state(*platform, pump);
    const std::string drive(1, letter);

    state.OptCorrectErrors = true;
    state.Button1Click(drive);
    ASSERT_GE(state.log().size(), 3u);
    EXPECT_EQ(state.log()[state.log().size() - 2], "Error: Drive In Use: " + drive + ":\\");

    state.OptCorrectErrors = false;
    state.Button1Click(drive);
    EXPECT_EQ(state.outcome(), chkdsk::CheckOutcome::FinishedOk);
    bool warned = false;
    for (const std::string& line : state.log()) warned = warned || line.find("is mounted") != std::string::npos;
    EXPECT_TRUE(warned);
}

TEST_F(LoopImage, AnUnmountedVolumeKeepsItsLetterAndCanBeFixed) {
    mount();
    LinuxOptions linuxOptions = defaultLinuxOptions();
    const auto letterOf = [&](bool mounted) {
        LinuxContext letters(linuxOptions);
        for (const auto& target : letters.targets())
            if (target.devNode == m_loop && target.mountPoint.empty() != mounted) return target.letter;
        return char(0);
    };
    const char mountedLetter = letterOf(true);
    ASSERT_NE(mountedLetter, 0) << "the mounted image got no drive letter";
    ASSERT_EQ(run("umount " + (m_dir / "mnt").string()).rfind("FAILED", 0), std::string::npos);
    m_mounted = false;
    ASSERT_EQ(run("debugfs -w -R 'clri <2>' " + m_loop).rfind("FAILED", 0), std::string::npos);
    EXPECT_EQ(letterOf(false), mountedLetter) << "the letter changed when the volume was unmounted";

    auto platform = makeLinuxPlatform(linuxOptions);
    NullEventPump pump;
    chkdsk::CheckDiskViewState state(*platform, pump);
    const std::string drive(1, mountedLetter);
    state.FormShow();
    bool offered = false;
    for (const std::string& entry : state.driveEntries()) offered = offered || entry[0] == mountedLetter;
    EXPECT_TRUE(offered) << "the check disk window does not offer the unmounted volume";

    state.Button1Click(drive);
    EXPECT_EQ(state.outcome(), chkdsk::CheckOutcome::ProblemsFound);
    state.OptCorrectErrors = true;
    state.Button1Click(drive);
    EXPECT_EQ(state.outcome(), chkdsk::CheckOutcome::ProblemsFound);
    bool corrected = false, finishedOk = false;
    for (const std::string& line : state.log()) {
        corrected = corrected || line.find("corrected them") != std::string::npos;
        finishedOk = finishedOk || line == "Check Disk: Finished OK";
    }
    EXPECT_TRUE(corrected);
    EXPECT_FALSE(finishedOk) << "a check that found problems also said Finished OK";
    state.OptCorrectErrors = false;
    state.Button1Click(drive);
    EXPECT_EQ(state.outcome(), chkdsk::CheckOutcome::FinishedOk);
}

TEST_F(LoopImage, AMountedVolumeIsUnmountedFixedAndMountedAgain) {
    // The lost+found directory's inode cleared: the kernel still mounts it, e2fsck objects.
    ASSERT_EQ(run("debugfs -w -R 'clri <11>' " + m_loop).rfind("FAILED", 0), std::string::npos);
    mount();
    LinuxOptions linuxOptions = defaultLinuxOptions();
    char letter = 0;
    {
        LinuxContext letters(linuxOptions);
        for (const auto& target : letters.targets())
            if (target.mountPoint == (m_dir / "mnt").string()) letter = target.letter;
    }
    ASSERT_NE(letter, 0) << "the mounted image got no drive letter";
    auto platform = makeLinuxPlatform(linuxOptions);
    NullEventPump pump;
    chkdsk::CheckDiskViewState state(*platform, pump);
    const std::string drive(1, letter);
    const std::string mounts = state.MountedText(drive);
    EXPECT_EQ(mounts, m_loop + " on " + (m_dir / "mnt").string());

    // A program working in the volume keeps it busy: nothing is unmounted or checked.
    {
        const std::string folder = (m_dir / "mnt").string();
        const pid_t holder = ::fork();
        ASSERT_GE(holder, 0);
        if (holder == 0) {
            if (::chdir(folder.c_str()) == 0) ::execl("/bin/sleep", "sleep", "10", static_cast<char*>(nullptr));
            ::_exit(1);
        }
        ::usleep(200 * 1000);
        state.UnmountFixAndMount(drive);
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
    }
    EXPECT_EQ(state.outcome(), chkdsk::CheckOutcome::Error);
    EXPECT_NE(state.log()[state.log().size() - 2].find("a program is using it"), std::string::npos)
        << state.log()[state.log().size() - 2];
    EXPECT_EQ(state.MountedText(drive), mounts) << "a busy volume was left unmounted";

    state.UnmountFixAndMount(drive);
    EXPECT_EQ(state.outcome(), chkdsk::CheckOutcome::ProblemsFound);
    bool corrected = false;
    for (const std::string& line : state.log()) corrected = corrected || line.find("corrected them") != std::string::npos;
    EXPECT_TRUE(corrected);
    EXPECT_EQ(state.log()[state.log().size() - 2], "Mounted again: " + mounts);
    EXPECT_EQ(state.MountedText(drive), mounts) << "the volume was not mounted again where it was";
    EXPECT_EQ(run("umount " + (m_dir / "mnt").string()).rfind("FAILED", 0), std::string::npos);
    m_mounted = false;
    EXPECT_EQ(run("e2fsck -n -f " + m_loop).rfind("FAILED", 0), std::string::npos) << "the volume is still damaged";
}

}  // namespace
}  // namespace zv::lnx
