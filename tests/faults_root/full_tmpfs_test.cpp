// A full file system under Zorvane's files: a small tmpfs, filled to the last byte, mounted
// as the configuration folder, and another one mounted as the home folder.
//
// What must hold: `list` still works (status 0) while a new volume makes it save the
// letters; the failed save is said on the error stream naming the configuration folder or
// a file in it; the previous letters file is byte for byte what it was (R: still the 3 MB
// RAM disk); no temporary file is left behind.
#include "fault_sandbox.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace zv::faulttest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Writes zeros into `path` until the file system has no block left.
bool fillUp(const std::string& path) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    char block[4096] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

class FullTmpfs : public testing::Test {
protected:
    void SetUp() override {
        std::string skip = rootUnavailableReason();
        if (!skip.empty()) GTEST_SKIP() << skip;
        m_box = std::make_unique<FaultSandbox>(testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string why;
        ASSERT_TRUE(m_box->mounts().addTmpfs("r", 3, &why)) << why;
        m_letters = "# Drive letters last given to each volume (Zorvane)\nR\tram:" + m_box->mounts().mountPointOf("r") + "\n";
    }

    void fillAndList(const std::string& fullFolder) {
        writeFile(m_box->lettersPath(), m_letters);
        ASSERT_TRUE(fillUp(fullFolder + "/filler")) << fullFolder << " could not be filled";
        std::string why;
        ASSERT_TRUE(m_box->mounts().addTmpfs("new", 5, &why)) << why;  // a volume without a letter yet

        ChildOutcome list = m_box->cli({{"list"}, 10s, {}, {}, "full"});
        EXPECT_TRUE(list.exitedWith({0})) << list.summary() << "\n" << list.err;
        auto rows = listRows(list.out);
        EXPECT_TRUE(rows.count('R') && rows['R'].size() > 4 && rows['R'][4] == "3.00 MB") << list.out;
        EXPECT_TRUE(mentions(list.err, m_box->configDir())) << "no message says the letters were not saved:\n"
                                                             << list.err;
        EXPECT_TRUE(repeatedLines(list.err).empty()) << "a message is said more than once:\n" << list.err;
        EXPECT_EQ(fileBytes(m_box->lettersPath()).value_or("(gone)"), m_letters) << "the previous letters file changed";
        for (const auto& entry : fs::directory_iterator(m_box->configDir())) {
            std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "letters" || name == "filler" || name == "registry" || name.find(".lock") != std::string::npos ||
                        name.find(".corrupt") != std::string::npos)
                << "left behind: " << entry.path();
        }
    }

    std::unique_ptr<FaultSandbox> m_box;
    std::string m_letters;
};

TEST_F(FullTmpfs, AsTheConfigurationFolder) {
    std::string why;
    ASSERT_TRUE(m_box->mountTmpfs(m_box->configDir(), 1, &why)) << why;
    fillAndList(m_box->configDir());
}

TEST_F(FullTmpfs, AsTheHomeFolder) {
    std::string why;
    ASSERT_TRUE(m_box->mountTmpfs(m_box->home(), 1, &why)) << why;
    fillAndList(m_box->home());
}

}  // namespace
}  // namespace zv::faulttest
