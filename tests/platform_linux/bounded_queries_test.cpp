// Questions about paths on network and FUSE mounts come back within the deadline. Without
// root no FUSE daemon can be stopped here, so a FIFO stands in for the silent mount: opening
// it for reading blocks in the kernel until a writer comes, as an open on a stopped mount does.
#include "fake_seam.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/volume_facts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::lnx::test {
namespace {

using namespace zv::win;
using Clock = std::chrono::steady_clock;

constexpr int kDeadlineMs = 300;

long long msSince(Clock::time_point start) {
    return (long long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class BoundedQueries : public testing::Test {
protected:
    void SetUp() override {
        m_options = treeOptions(m_tree, &m_seam);
        m_options.networkTimeoutMs = kDeadlineMs;
        m_remote = m_tree.root() + "/home/user/remote";  // fuse.sshfs in the laptop's mount table
        std::filesystem::create_directories(m_remote);
        ASSERT_EQ(::mkfifo((m_remote + "/pipe").c_str(), 0600), 0);
    }

    void TearDown() override {
        // Releases an open that is still waiting for a writer (the code before the deadline).
        int writer = ::open((m_remote + "/pipe").c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }

    char letterOfRemote() {
        LinuxContext ctx(m_options);
        for (const DriveTarget& target : ctx.targets())
            if (target.mountPoint == "/home/user/remote") return target.letter;
        return 0;
    }

    RecordedTree m_tree{"laptop"};
    RefusingSeam m_seam;
    LinuxOptions m_options;
    std::string m_remote;
};

TEST_F(BoundedQueries, PathsAreGuardedByTheMountHoldingThem) {
    LinuxContext ctx(m_options);
    const PathGuard remote = guardOf(ctx, m_remote + "/some/file");
    EXPECT_TRUE(remote.guarded);
    EXPECT_EQ(remote.key, m_remote);
    const PathGuard ntfs = guardOf(ctx, m_tree.root() + "/media/win/x");  // fuseblk
    EXPECT_TRUE(ntfs.guarded);
    const PathGuard local = guardOf(ctx, m_tree.root() + "/home/user/ramdisk/x");
    EXPECT_FALSE(local.guarded);
    EXPECT_FALSE(guardOf(ctx, m_tree.root() + "/etc/fstab").guarded);
}

TEST_F(BoundedQueries, AnOpenThatHangsEndsAtTheDeadlineAndTheMountIsThenSilent) {
    const char letter = letterOfRemote();
    ASSERT_NE(letter, 0);
    auto p = makeLinuxPlatform(m_options);
    const std::string pipe = std::string(1, letter) + ":\\pipe";

    const auto started = Clock::now();
    auto opening = std::async(std::launch::async, [&] {
        return p->io().CreateFileA(pipe.c_str(), GENERIC_READ, 3, OPEN_EXISTING, 0);
    });
    if (opening.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        TearDown();  // lets the waiting open end, so that the test can
        FAIL() << "the open was still waiting after 10 s";
    }
    EXPECT_EQ(opening.get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(p->GetLastError(), ERROR_NOT_READY);
    const long long first = msSince(started);
    EXPECT_GE(first, kDeadlineMs - 50);

    // Every further question about the silent mount gets its verdict at once.
    const auto again = Clock::now();
    EXPECT_FALSE(p->io().FileExists(pipe.c_str()));
    EXPECT_EQ(p->io().CreateFileA(pipe.c_str(), GENERIC_READ, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    char folder[260];
    EXPECT_EQ(p->io().GetWritableFolderA((std::string(1, letter) + ":\\").c_str(), folder, sizeof folder), 0u);
    EXPECT_EQ(p->GetLastError(), ERROR_NOT_READY);
    EXPECT_LT(msSince(again), kDeadlineMs / 2);
}

TEST_F(BoundedQueries, AnsweringMountsAreAskedThroughTheChildAsBefore) {
    std::ofstream(m_remote + "/notes.txt") << "remote text\n";
    const char letter = letterOfRemote();
    ASSERT_NE(letter, 0);
    auto p = makeLinuxPlatform(m_options);
    const std::string root = std::string(1, letter) + ":\\";
    EXPECT_TRUE(p->io().FileExists((root + "notes.txt").c_str()));
    HANDLE file = p->io().CreateFileA((root + "notes.txt").c_str(), GENERIC_READ, 3, OPEN_EXISTING, 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char text[32] = {};
    DWORD read = 0;
    ASSERT_TRUE(p->io().ReadFile(file, text, sizeof text - 1, &read));
    EXPECT_STREQ(text, "remote text\n");
    EXPECT_TRUE(p->io().CloseHandle(file));
    EXPECT_FALSE(p->io().FileExists((root + "missing.txt").c_str()));
    char folder[260];
    ASSERT_GT(p->io().GetWritableFolderA(root.c_str(), folder, sizeof folder), 0u);
    EXPECT_EQ(std::string(folder), root);
    HANDLE created = p->io().CreateFileA((root + "new.txt").c_str(), GENERIC_WRITE, 0, CREATE_NEW, 0);
    ASSERT_NE(created, INVALID_HANDLE_VALUE);
    p->io().CloseHandle(created);
    EXPECT_TRUE(std::filesystem::exists(m_remote + "/new.txt"));
    EXPECT_EQ(p->io().CreateFileA((root + "new.txt").c_str(), GENERIC_WRITE, 0, CREATE_NEW, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(p->GetLastError(), ERROR_FILE_EXISTS);
}

}  // namespace
}  // namespace zv::lnx::test
