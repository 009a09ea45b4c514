// Another user prepares the folders Zorvane writes to: without XDG_RUNTIME_DIR (and without
// /run/user/<uid>) the session's folder is /tmp/zorvane-<uid>, which anyone can create
// first; the configuration folder may have been left writable by others.
//
// What must hold: zorvane-cli, run as an ordinary user (the victim), refuses a runtime
// folder that someone else owns or that is a symbolic link, says so once, falls back to a
// safe place and lists its drives (status 0); it shows no letter planted there and writes
// nothing through a planted link: the file the link points to keeps its bytes. A
// configuration folder writable by others gets no file written through a link planted in it.
#include "fault_sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::faulttest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kPrecious = "the victim's own data\n";

class RuntimeFolder : public testing::Test {
protected:
    void SetUp() override {
        std::string skip = rootUnavailableReason();
        if (!skip.empty()) GTEST_SKIP() << skip;
        m_box = std::make_unique<FaultSandbox>(testing::UnitTest::GetInstance()->current_test_info()->name());
        m_victim = m_box->victimUid();
        m_planted = "/tmp/zorvane-" + std::to_string(m_victim);
        struct stat st;
        if (::lstat(m_planted.c_str(), &st) == 0)
            GTEST_SKIP() << m_planted << " exists already and belongs to no run of this program";
        writeFile(m_planted + ".zv-faults-owner", std::to_string(::getpid()) + "\n");
        m_box->atCleanup([planted = m_planted] {
            std::error_code ignored;
            fs::remove_all(planted, ignored);
            fs::remove(planted + ".zv-faults-owner", ignored);
        });
        // The victim's home and a file of theirs that a planted link points to.
        fs::create_directories(m_box->configDir());
        m_precious = m_box->home() + "/precious";
        writeFile(m_precious, kPrecious);
        ASSERT_EQ(std::system(("chown -R " + std::to_string(m_victim) + ":" + std::to_string(m_victim) + " '" +
                               m_box->home() + "'")
                                  .c_str()),
                  0);
        ::chmod(m_precious.c_str(), 0600);
        std::string why;
        ASSERT_TRUE(m_box->mounts().addTmpfs("ram", 3, &why)) << why;
    }

    // A folder of the other user, writable by everyone, holding `entries`.
    void plantFolder(const std::string& folder) {
        fs::create_directories(folder);
        ::chmod(folder.c_str(), 0777);
        ASSERT_EQ(::lchown(folder.c_str(), m_box->otherUid(), m_box->otherUid()), 0);
    }
    void plantFile(const std::string& path, const std::string& bytes) {
        writeFile(path, bytes);
        ::chmod(path.c_str(), 0666);
        ASSERT_EQ(::lchown(path.c_str(), m_box->otherUid(), m_box->otherUid()), 0);
    }
    void plantLink(const std::string& link, const std::string& target) {
        fs::create_symlink(target, link);
        ASSERT_EQ(::lchown(link.c_str(), m_box->otherUid(), m_box->otherUid()), 0);
    }

    // Everything below `folder` that the victim created or changed.
    std::vector<std::string> victimFilesIn(const std::string& folder) {
        std::vector<std::string> found;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            struct stat st;
            if (::lstat(it->path().c_str(), &st) == 0 && st.st_uid == m_victim) found.push_back(it->path().string());
        }
        return found;
    }

    ChildOutcome listAsVictim(const std::string& label) {
        return m_box->cli({{"list"}, 10s, m_victim, {{"XDG_RUNTIME_DIR", std::nullopt}}, label});
    }

    void expectRefused(const ChildOutcome& list, const std::string& refused) {
        EXPECT_TRUE(list.exitedWith({0})) << list.summary() << "\n" << list.err;
        EXPECT_FALSE(listRows(list.out).count('Q')) << "the planted letter Q: is listed:\n" << list.out;
        EXPECT_TRUE(mentions(list.err, refused)) << "no message says why " << refused << " is not used:\n"
                                                  << list.err;
        EXPECT_TRUE(repeatedLines(list.err).empty()) << "a message is said more than once:\n" << list.err;
        EXPECT_EQ(fileBytes(m_precious).value_or("(not a file any more)"), kPrecious)
            << "the victim's file was written through the planted link";
    }

    std::unique_ptr<FaultSandbox> m_box;
    uid_t m_victim = 0;
    std::string m_planted, m_precious;
};

TEST_F(RuntimeFolder, FolderOfAnotherUserWithAPlantedLetter) {
    plantFolder(m_planted);
    plantFile(m_planted + "/substitutes", "Q\t\\??\\/etc\n");
    ChildOutcome list = listAsVictim("planted-letter");
    expectRefused(list, m_planted);
    EXPECT_TRUE(victimFilesIn(m_planted).empty()) << "the victim wrote into the other user's folder";
}

TEST_F(RuntimeFolder, FolderOfAnotherUserWithAPlantedLink) {
    plantFolder(m_planted);
    plantLink(m_planted + "/substitutes.tmp", m_precious);
    ChildOutcome list = listAsVictim("planted-link");
    expectRefused(list, m_planted);
    EXPECT_TRUE(victimFilesIn(m_planted).empty()) << "the victim wrote into the other user's folder";
}

TEST_F(RuntimeFolder, RuntimeFolderThatIsALink) {
    std::string attacker = m_box->base() + "/attacker";
    plantFolder(attacker);
    plantLink(attacker + "/substitutes.tmp", m_precious);
    plantFile(attacker + "/substitutes", "Q\t\\??\\/etc\n");
    plantLink(m_planted, attacker);
    ChildOutcome list = listAsVictim("runtime-link");
    expectRefused(list, m_planted);
    EXPECT_TRUE(victimFilesIn(attacker).empty()) << "the victim wrote into the folder the link points to";
    // Without the planted table the session's first use writes one: still not through the link.
    fs::remove(attacker + "/substitutes");
    ChildOutcome again = listAsVictim("runtime-link-again");
    expectRefused(again, m_planted);
    EXPECT_TRUE(victimFilesIn(attacker).empty()) << "the victim wrote into the folder the link points to";
}

TEST_F(RuntimeFolder, ConfigurationFolderWritableByOthers) {
    // Left writable by everyone (a careless umask or a shared home): the other user plants
    // links under the names of the temporary files.
    ::chmod(m_box->configDir().c_str(), 0777);
    plantLink(m_box->configDir() + "/letters.tmp", m_precious);
    plantLink(m_box->configDir() + "/registry.tmp", m_precious);
    std::string runtime = m_box->base() + "/victim-run";
    fs::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    ASSERT_EQ(::chown(runtime.c_str(), m_victim, m_victim), 0);
    ChildOutcome list = m_box->cli({{"list"}, 10s, m_victim, {{"XDG_RUNTIME_DIR", runtime}}, "config-links"});
    EXPECT_TRUE(list.exitedWith({0})) << list.summary() << "\n" << list.err;
    EXPECT_EQ(fileBytes(m_precious).value_or("(not a file any more)"), kPrecious)
        << "the victim's file was written through a link planted in the configuration folder";
    EXPECT_TRUE(mentions(list.err, m_box->configDir()))
        << "no message says why the configuration folder is not used:\n" << list.err;
}

}  // namespace
}  // namespace zv::faulttest
