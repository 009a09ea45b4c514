// A home folder Zorvane cannot write to: an ordinary user's home with mode 0500, and root's
// home mounted read-only.
//
// What must hold: `list` works (status 0, the RAM disk mounted for the case is listed) and
// its error stream says once why the letters cannot be saved: exactly one line names the
// configuration folder (or a file in it), and no line is repeated.
#include "fault_sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <sys/stat.h>

namespace zv::faulttest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using lnx::roottest::run;

size_t linesNaming(const std::string& text, const std::string& path) {
    size_t count = 0;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) count += line.find(path) != std::string::npos;
    return count;
}

class ReadOnlyHome : public testing::Test {
protected:
    void SetUp() override {
        std::string skip = rootUnavailableReason();
        if (!skip.empty()) GTEST_SKIP() << skip;
        m_box = std::make_unique<FaultSandbox>(testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string why;
        ASSERT_TRUE(m_box->mounts().addTmpfs("ram", 3, &why)) << why;
    }

    void expectListsAndSaysOnce(const ChildOutcome& list) {
        EXPECT_TRUE(list.exitedWith({0})) << list.summary() << "\n" << list.err;
        bool ramListed = false;
        for (const auto& [letter, fields] : listRows(list.out)) ramListed |= fields.size() > 4 && fields[4] == "3.00 MB";
        EXPECT_TRUE(ramListed) << "the RAM disk is not listed:\n" << list.out;
        EXPECT_EQ(linesNaming(list.err, m_box->configDir()), 1u)
            << "not exactly one line says why " << m_box->configDir() << " cannot be saved to:\n"
            << list.err;
        EXPECT_TRUE(repeatedLines(list.err).empty()) << "a message is said more than once:\n" << list.err;
    }

    std::unique_ptr<FaultSandbox> m_box;
};

TEST_F(ReadOnlyHome, OrdinaryUserWithHomeMode0500) {
    uid_t user = m_box->victimUid();
    std::string runtime = m_box->base() + "/user-run";
    fs::create_directories(runtime);
    ASSERT_EQ(::chown(runtime.c_str(), user, user), 0);
    ::chmod(runtime.c_str(), 0700);
    ASSERT_EQ(::chown(m_box->home().c_str(), user, user), 0);
    ::chmod(m_box->home().c_str(), 0500);
    ChildOutcome list = m_box->cli({{"list"}, 10s, user, {{"XDG_RUNTIME_DIR", runtime}}, "home-0500"});
    expectListsAndSaysOnce(list);
    EXPECT_FALSE(fs::exists(m_box->home() + "/.config")) << "something was written to the home folder";
}

TEST_F(ReadOnlyHome, RootWithHomeMountedReadOnly) {
    const std::string home = m_box->home();
    ASSERT_TRUE(run("mount --bind '" + home + "' '" + home + "'").ok());
    m_box->atCleanup([home] {
        if (!run("umount '" + home + "'").ok()) run("umount -l '" + home + "'");
    });
    ASSERT_TRUE(run("mount -o remount,bind,ro '" + home + "'").ok());
    ChildOutcome list = m_box->cli({{"list"}, 10s, {}, {}, "home-read-only"});
    expectListsAndSaysOnce(list);
}

}  // namespace
}  // namespace zv::faulttest
