// A loop device detached while its ext4 volume is mounted (the kernel keeps it until the last
// user goes), then the volume lazily unmounted while a file on it is still open, then let go.
//
// What must hold, at each step: `list` ends within 10 seconds with status 0 and rows of
// fourteen fields; while the volume is mounted it keeps its letter and its size; once it is
// unmounted no row shows it; `diskinfo` of its letter ends by itself within 10 seconds with
// status 0 or 1 (the letter is gone) and no signal.
#include "fault_sandbox.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace zv::faulttest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using lnx::roottest::run;

class DetachedLoop : public testing::Test {
protected:
    void SetUp() override {
        std::string skip = rootUnavailableReason();
        if (skip.empty() && !fs::exists("/dev/loop-control")) skip = "this kernel offers no loop devices";
        if (skip.empty()) skip = missingTool("losetup", "util-linux");
        if (skip.empty()) skip = missingTool("mkfs.ext4", "e2fsprogs");
        if (!skip.empty()) GTEST_SKIP() << skip;
        m_box = std::make_unique<FaultSandbox>("detached-loop");
        m_image = m_box->base() + "/detach.img";
        m_point = m_box->base() + "/mnt-detach";
        fs::create_directories(m_point);
        ASSERT_TRUE(run("truncate -s 32M '" + m_image + "'").ok());
        auto loop = run("losetup -f --show '" + m_image + "'");
        if (!loop.ok()) GTEST_SKIP() << "no free loop device: " << loop.output;
        m_device = loop.output.substr(0, loop.output.find('\n'));
        // Undone in this order: the open file, the mount, then the device, only while it is
        // still ours (once detached, its number may already serve someone else).
        m_box->atCleanup([device = m_device, image = m_image] {
            auto backing = run("losetup -n -O BACK-FILE " + device);
            if (backing.ok() && backing.output.find(image) != std::string::npos) run("losetup -d " + device);
        });
        m_box->atCleanup([point = m_point] {
            if (run("mountpoint -q '" + point + "'").ok()) run("umount -l '" + point + "'");
        });
        m_box->atCleanup([this] { closeHeld(); });
        ASSERT_TRUE(run("mkfs.ext4 -q -F -L ZVDETACH " + m_device).ok());
        ASSERT_TRUE(run("mount " + m_device + " '" + m_point + "'").ok());
    }

    void closeHeld() {
        if (m_held >= 0) ::close(m_held);
        m_held = -1;
    }

    // `list` is sane; the letter of the ZVDETACH volume, 0 when none shows it.
    char saneList(const std::string& step) {
        ChildOutcome list = m_box->cli({{"list"}, 10s, {}, {}, step});
        EXPECT_TRUE(list.exitedWith({0})) << step << ": " << list.summary() << "\n" << list.err;
        char letter = 0;
        for (const auto& [l, fields] : listRows(list.out)) {
            EXPECT_EQ(fields.size(), 14u) << step << ", row " << l << ":\n" << list.out;
            if (fields.size() > 4 && fields[1] == "ZVDETACH") {
                letter = l;
                m_lastSize = fields[4];
            }
        }
        return letter;
    }

    void saneDiskinfo(char letter, const std::string& step, std::initializer_list<int> statuses) {
        ChildOutcome info = m_box->cli({{"diskinfo", std::string(1, letter) + ":"}, 10s, {}, {}, step + "-diskinfo"});
        EXPECT_TRUE(info.exitedWith(statuses)) << step << ", diskinfo " << letter << ": " << info.summary() << "\n"
                                               << info.err;
    }

    std::unique_ptr<FaultSandbox> m_box;
    std::string m_image, m_point, m_device, m_lastSize;
    int m_held = -1;
};

TEST_F(DetachedLoop, ListAndDiskinfoStaySane) {
    char letter = saneList("mounted");
    ASSERT_NE(letter, 0) << "the volume is not listed";
    const std::string size = m_lastSize;

    ASSERT_TRUE(run("losetup -d " + m_device).ok());  // deferred: the mount still uses it
    EXPECT_EQ(saneList("detached while mounted"), letter);
    EXPECT_EQ(m_lastSize, size);
    saneDiskinfo(letter, "detached while mounted", {0});

    m_held = ::open((m_point + "/held").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(m_held, 0);
    ASSERT_TRUE(run("umount -l '" + m_point + "'").ok());
    EXPECT_EQ(saneList("lazily unmounted, file still open"), 0);
    saneDiskinfo(letter, "lazily unmounted, file still open", {0, 1});

    closeHeld();  // the volume goes, and with it the loop device
    EXPECT_EQ(saneList("let go"), 0);
    saneDiskinfo(letter, "let go", {0, 1});
}

}  // namespace
}  // namespace zv::faulttest
