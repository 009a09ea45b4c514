// FUSE volumes whose daemon stops answering: an sshfs mount over a local sshd on the loopback
// interface (a network volume) and a FAT image mounted with fusefat (a local volume), plus a
// substitute letter whose folder lies on the sshfs mount.
//
// What must hold: with both daemons stopped (SIGSTOP), every subcommand (list, clusters,
// volumes, bench, and diskinfo, chkdsk, smart and optical of both letters) ends by itself
// within 15 seconds (a blocked volume is expected to cost about 2 to 3 seconds) and without a
// signal; `list`, `clusters` and `diskinfo` do so also when the substitute letter is
// defined. The same holds when the daemons are killed while the subcommands run, and for a
// `list` afterwards, on the dead mounts.
#include "fault_sandbox.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace zv::faulttest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using lnx::roottest::run;

const auto kHardLimit = 15s;

// The daemon whose command line starts with `program` and names `mountPoint`.
int daemonPid(const std::string& program, const std::string& mountPoint) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        int pid = std::atoi(entry.path().filename().c_str());
        if (pid <= 0) continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (cmdline.rfind(program, 0) == 0 && cmdline.find(mountPoint) != std::string::npos) return pid;
    }
    return -1;
}

struct Launched {
    std::string name;
    RunningChild child;
};

class StoppedFuse : public testing::Test {
protected:
    void SetUp() override {
        std::string skip = rootUnavailableReason();
        if (skip.empty()) skip = missingTool("sshfs", "sshfs");
        if (skip.empty()) skip = missingTool("fusefat", "fusefat");
        if (skip.empty()) skip = missingTool("mkfs.fat", "dosfstools");
        if (skip.empty() && !fs::exists("/dev/fuse")) skip = "this kernel offers no FUSE (/dev/fuse)";
        if (!skip.empty()) GTEST_SKIP() << skip;
        m_box = std::make_unique<FaultSandbox>("stopped-fuse");
        std::string why;
        if (!m_box->mounts().addSshfs("sshfs", &why)) GTEST_SKIP() << "no sshfs mount: " << why;
        if (!m_box->mounts().addImage("fat", 32, "mkfs.fat -F 32 -n ZVFAULT %s", "fusefat -o rw+,fsname=%d %d %m",
                                      "ZVFAULT", &why))
            GTEST_SKIP() << "no fusefat mount: " << why;
        m_sshfsPid = m_box->mounts().sshfsPid();
        m_fatPid = daemonPid("fusefat", m_box->mounts().mountPointOf("fat"));
        ASSERT_GT(m_sshfsPid, 0);
        ASSERT_GT(m_fatPid, 0);
        // Stopped daemons are resumed and killed whatever happens, before the mounts go; found
        // again by their command line, since a number of one already killed may be reused.
        m_box->atCleanup([sshfs = m_box->mounts().mountPointOf("sshfs"), fat = m_box->mounts().mountPointOf("fat")] {
            for (int pid : {daemonPid("sshfs", sshfs), daemonPid("fusefat", fat)}) {
                if (pid <= 0) continue;
                ::kill(pid, SIGCONT);
                ::kill(pid, SIGKILL);
            }
        });
        fs::create_directories(m_box->base() + "/exported/shared");
        findLetters();
        // A second runtime folder whose substitute table has Q: on the sshfs mount.
        m_substRuntime = m_box->base() + "/run-subst";
        fs::create_directories(m_substRuntime + "/zorvane");
        fs::permissions(m_substRuntime, fs::perms(0700));
        writeFile(m_substRuntime + "/zorvane/substitutes",
                  std::string("# Substitute drive letters of this session, most recent first (Zorvane)\n") +
                      m_substLetter + "\t\\??\\" + m_box->mounts().mountPointOf("sshfs") + "/shared\n");
    }

    void findLetters() {
        ChildOutcome list = m_box->cli({{"list"}, kHardLimit, {}, {}, "alive"});
        ASSERT_TRUE(list.exitedWith({0})) << list.summary() << "\n" << list.err;
        std::string remote = m_box->base() + "/exported";
        for (char& c : remote)
            if (c == '/') c = '\\';
        auto rows = listRows(list.out);
        for (const auto& [letter, fields] : rows) {
            if (fields.size() > 3 && fields[1] == "ZVFAULT") m_fatLetter = letter;
            if (fields.size() > 3 && fields[3].find(remote) != std::string::npos) m_sshfsLetter = letter;
        }
        for (char letter = 'Z'; letter > 'D' && !m_substLetter; --letter)
            if (!rows.count(letter)) m_substLetter = letter;
        ASSERT_TRUE(m_fatLetter && m_sshfsLetter && m_substLetter) << "letters not found in:\n" << list.out;
    }

    // Every subcommand, all at once: the volumes block them all in the same way.
    std::vector<Launched> launchAll(const std::string& phase) {
        std::vector<std::pair<std::string, CliRun>> runs;
        auto add = [&](std::vector<std::string> args, bool withSubstitute) {
            std::string name = (withSubstitute ? "with " + std::string(1, m_substLetter) + ": " : std::string()) + args[0];
            if (args.size() > 1 && args[1].size() == 2) name += " " + args[1];
            CliRun cliRun{args, kHardLimit, {}, {}, phase + "-" + name};
            if (withSubstitute) cliRun.environment["XDG_RUNTIME_DIR"] = m_substRuntime;
            runs.emplace_back(name, cliRun);
        };
        for (const char* command : {"list", "clusters", "volumes"}) add({command}, false);
        add({"bench", "--size", "65536", "--runs", "1"}, false);
        for (char letter : {m_sshfsLetter, m_fatLetter})
            for (const char* command : {"diskinfo", "chkdsk", "smart", "optical"})
                add({command, std::string(1, letter) + ":"}, false);
        add({"list"}, true);
        add({"clusters"}, true);
        add({"diskinfo", std::string(1, m_substLetter) + ":"}, true);
        std::vector<Launched> launched;
        for (auto& [name, cliRun] : runs) launched.push_back({name, RunningChild(m_box->cliSpec(cliRun))});
        return launched;
    }

    void expectAllEndInTime(std::vector<Launched>& launched, const std::string& phase) {
        std::vector<RunningChild*> children;
        for (auto& entry : launched) children.push_back(&entry.child);
        std::vector<ChildOutcome> outcomes = RunningChild::waitAll(children, kHardLimit);
        std::string figures;
        for (size_t i = 0; i < launched.size(); ++i) {
            const std::string& name = launched[i].name;
            const ChildOutcome& outcome = outcomes[i];
            figures += "  " + name + ": " + outcome.summary() + "\n";
            EXPECT_FALSE(outcome.timedOut) << phase << ", " << name << ": " << outcome.summary();
            EXPECT_EQ(outcome.signal, 0) << phase << ", " << name << ": " << outcome.summary() << "\n" << outcome.err;
        }
        std::printf("%s (sshfs %c:, fusefat %c:, substitute %c:):\n%s", phase.c_str(), m_sshfsLetter, m_fatLetter,
                    m_substLetter, figures.c_str());
    }

    std::unique_ptr<FaultSandbox> m_box;
    int m_sshfsPid = -1, m_fatPid = -1;
    char m_sshfsLetter = 0, m_fatLetter = 0, m_substLetter = 0;
    std::string m_substRuntime;
};

TEST_F(StoppedFuse, EverySubcommandEndsWithinItsBound) {
    ASSERT_EQ(::kill(m_sshfsPid, SIGSTOP), 0);
    ASSERT_EQ(::kill(m_fatPid, SIGSTOP), 0);
    {
        auto launched = launchAll("stopped");
        expectAllEndInTime(launched, "daemons stopped");
    }
    {
        auto launched = launchAll("killed");
        std::this_thread::sleep_for(1s);  // the subcommands are waiting on the stopped daemons by now
        for (int pid : {m_sshfsPid, m_fatPid}) {
            ::kill(pid, SIGKILL);
            ::kill(pid, SIGCONT);
        }
        expectAllEndInTime(launched, "daemons killed while the subcommands run");
    }
    ChildOutcome dead = m_box->cli({{"list"}, kHardLimit, {}, {{"XDG_RUNTIME_DIR", m_substRuntime}}, "dead"});
    EXPECT_TRUE(dead.exitedWith({0})) << "list on the dead mounts: " << dead.summary() << "\n" << dead.err;
    std::printf("list on the dead mounts: %s\n", dead.summary().c_str());
}

}  // namespace
}  // namespace zv::faulttest
