// Files through the letter namespace, on a substitute letter for a temporary folder.
#include "platform/linux/linux_platform.h"
#include "recorded_tree.h"

#include <filesystem>
#include <fstream>
#include "tools/read_test_file.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zv::lnx::test {
namespace {

using namespace zv::win;

class FileIo : public testing::Test {
protected:
    void SetUp() override {
        LinuxOptions options;
        options.configDir = m_folder.path() + "/config";
        options.runtimeDir = m_folder.path() + "/runtime";
        std::filesystem::create_directories(m_folder.path() + "/data");
        p = makeLinuxPlatform(options);
        ASSERT_TRUE(p->drives().DefineDosDeviceA(0, "W:", (m_folder.path() + "/data").c_str()));
    }
    std::string hostFile(const std::string& name) const { return m_folder.path() + "/data/" + name; }

    TempFolder m_folder;
    std::unique_ptr<platform::Platform> p;
};

TEST_F(FileIo, CreateWriteSeekReadAndDeleteOnClose) {
    auto& io = p->io();
    HANDLE h = io.CreateFileA("W:\\12345678.TMP", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW,
                              FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_WRITE_THROUGH);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<char> block(70000, 'z');
    DWORD written = 0;
    ASSERT_TRUE(io.WriteFile(h, block.data(), DWORD(block.size()), &written));
    EXPECT_EQ(written, 70000u);
    EXPECT_TRUE(io.FlushFileBuffers(h));
    LONG high = 0;
    EXPECT_EQ(io.SetFilePointer(h, 65536, &high, FILE_BEGIN), 65536u);
    EXPECT_EQ(io.SetFilePointer(h, 0, nullptr, FILE_END), 70000u);
    EXPECT_EQ(io.SetFilePointer(h, -10, nullptr, FILE_END), 69990u);
    char tail[32];
    DWORD read = 0;
    ASSERT_TRUE(io.ReadFile(h, tail, sizeof tail, &read));
    EXPECT_EQ(read, 10u);
    EXPECT_TRUE(io.DiscardCachedData(h));
    // The file has no name while it is open: a process killed now leaves nothing behind.
    EXPECT_TRUE(std::filesystem::is_empty(m_folder.path() + "/data"));
    EXPECT_TRUE(io.CloseHandle(h));
    EXPECT_FALSE(std::filesystem::exists(hostFile("12345678.TMP")));
    EXPECT_FALSE(io.CloseHandle(h));
}

TEST_F(FileIo, AnExistingFileOpenedForDeletionAtCloseGoesAtOnce) {
    std::ofstream(hostFile("old.tmp")) << "old";
    HANDLE h = p->io().CreateFileA("W:\\old.tmp", GENERIC_READ, 7, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(std::filesystem::exists(hostFile("old.tmp")));
    char text[4] = {};
    DWORD read = 0;
    ASSERT_TRUE(p->io().ReadFile(h, text, 3, &read));
    EXPECT_STREQ(text, "old");
    // Its name is free again; closing the handle touches no file of that name.
    std::ofstream(hostFile("old.tmp")) << "new";
    EXPECT_TRUE(p->io().CloseHandle(h));
    EXPECT_TRUE(std::filesystem::exists(hostFile("old.tmp")));
}

// The benchmark's file, in a process killed while it reads: nothing is left in the folder.
TEST_F(FileIo, KilledBenchmarkLeavesNoFile) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        tools::ReadTestFile file(*p, tools::randomTemporaryNames());
        bool made = file.create("W:\\") && file.writeAll(1 << 20) && file.timedRead();
        char verdict = made ? 'y' : 'n';
        ssize_t ignored = ::write(ready[1], &verdict, 1);
        (void)ignored;
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char verdict = 0;
    ASSERT_EQ(::read(ready[0], &verdict, 1), 1);
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(verdict, 'y') << "the child could not write and read its file";
    EXPECT_TRUE(std::filesystem::is_empty(m_folder.path() + "/data"));
}

TEST_F(FileIo, PathsNeverLeadAboveTheLettersRoot) {
    std::ofstream(hostFile("inside.txt")) << "x";
    EXPECT_TRUE(p->io().FileExists("W:\\sub\\..\\..\\..\\inside.txt"));
    EXPECT_TRUE(p->io().FileExists("w:/./inside.txt"));
    EXPECT_FALSE(p->io().FileExists("W:\\missing.txt"));
    EXPECT_EQ(p->GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(p->io().DeleteFileA("W:\\inside.txt"));
    EXPECT_FALSE(p->io().DeleteFileA("W:\\inside.txt"));
    EXPECT_EQ(p->GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(p->io().CreateFileA("Q:\\x", GENERIC_READ, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(p->GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileIo, UnbufferedOpenOnAFileSystemThatRefusesItFailsCleanly) {
    HANDLE h = p->io().CreateFileA("W:\\direct.tmp", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS,
                                   FILE_FLAG_NO_BUFFERING);
    if (h != INVALID_HANDLE_VALUE) {
        p->io().CloseHandle(h);
        p->io().DeleteFileA("W:\\direct.tmp");
        GTEST_SKIP() << "the temporary folder's file system accepts O_DIRECT";
    }
    EXPECT_EQ(p->GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(std::filesystem::exists(hostFile("direct.tmp")));  // no stray file left
}

TEST_F(FileIo, WritableFolderOfTheRoot) {
    char folder[260];
    DWORD n = p->io().GetWritableFolderA("W:\\", folder, sizeof folder);
    ASSERT_GT(n, 0u);
    EXPECT_STREQ(folder, "W:\\");
    EXPECT_EQ(p->io().GetWritableFolderA("W:\\", folder, 2), 0u);
    EXPECT_EQ(p->io().GetWritableFolderA("Q:\\", folder, sizeof folder), 0u);
}

}  // namespace
}  // namespace zv::lnx::test
