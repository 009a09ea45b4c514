// A FUSE volume whose daemon stops answering (SIGSTOP), then dies (SIGKILL): every
// subcommand that only reads still ends within its bound, with a letter of that volume and a
// substitute letter for a folder on it in the table. The volume is FAT through fusefat on a
// loop device, so that it gets a letter of its own. Also: the benchmark's file on a FUSE
// volume (no O_TMPFILE there) is gone when the process is killed.
#include "cli/cli_context.h"
#include "platform/linux/linux_platform.h"
#include "scratch_mounts.h"
#include "tools/read_test_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zv::lnx::roottest {
namespace {

using namespace zv::win;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

const char* const kPrefix = "/tmp/zv-stopped-mount-";
// The command line asks a silent mount once and then knows it (2 s deadline); the rest is
// the subcommand's own work on a busy two-core machine.
constexpr int kBoundSeconds = 10;
constexpr int kGiveUpSeconds = 60;

struct Finished {
    int status = -1;       // exit status, -1 when it had to be killed
    long long ms = 0;
};

// Runs zorvane-cli's subcommand in a child process, so that a hang cannot hold the test.
Finished runSubcommand(const std::vector<std::string>& args) {
    const auto started = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        std::ostringstream out, err;
        ::_exit(cli::runCli(args, out, err));
    }
    Finished result;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (Clock::now() - started > std::chrono::seconds(kGiveUpSeconds)) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            result.ms = kGiveUpSeconds * 1000;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.ms = (long long)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
    return result;
}

std::vector<std::string> temporaryFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 12 && name.substr(8) == ".TMP") names.push_back(name);
    }
    return names;
}

class StoppedMount : public testing::Test {
protected:
    void SetUp() override {
        std::string why = unavailableReason();
        if (why.empty() && !run("command -v fusefat mkfs.fat fusermount3").ok()) why = "fusefat, dosfstools or fuse3 is missing";
        if (why.empty() && !fs::exists("/dev/fuse")) why = "this kernel offers no FUSE";
        if (!why.empty()) GTEST_SKIP() << why;
        ScratchMounts::sweep(kPrefix);
        m_mounts = std::make_unique<ScratchMounts>(kPrefix + std::to_string(::getpid()));
        if (!m_mounts->addImage("fat", 32, "mkfs.fat -F 32 -n STOPFAT %s", "fusefat -o rw+,fsname=%d %d %m", "STOPFAT", &why)) {
            if (why.rfind("losetup", 0) == 0) GTEST_SKIP() << "no free loop device: " << why;
            FAIL() << why;
        }
        m_point = m_mounts->mountPointOf("fat");
        const CommandResult pid = run("pgrep -n -f '^fusefat .*" + m_point + "'");
        m_daemon = std::atoi(pid.output.c_str());
        ASSERT_GT(m_daemon, 0) << "the fusefat daemon was not found";
        fs::create_directories(m_point + "/shared");

        // The command line's own folders come from the environment.
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            if (const char* value = std::getenv(name)) m_saved.emplace_back(name, value);
        ::setenv("XDG_CONFIG_HOME", (m_mounts->base() + "/config").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (m_mounts->base() + "/runtime").c_str(), 1);
        auto platform = makeLinuxPlatform(defaultLinuxOptions());
        LinuxContext ctx(defaultLinuxOptions());
        for (const DriveTarget& target : ctx.targets())
            if (target.mountPoint == m_point) m_letter = target.letter;
        ASSERT_NE(m_letter, 0) << "no letter for " << m_point;
        for (char l = 'Z'; l > 'D' && !m_substitute; --l)
            if (!(platform->drives().GetLogicalDrives() & (1u << (l - 'A')))) m_substitute = l;
        const std::string target = std::string(1, m_letter) + ":\\shared";
        ASSERT_TRUE(platform->drives().DefineDosDeviceA(0, (std::string(1, m_substitute) + ":").c_str(), target.c_str()));
    }

    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_RUNTIME_DIR");
        for (const auto& [name, value] : m_saved) ::setenv(name.c_str(), value.c_str(), 1);
        if (m_daemon > 0) {
            ::kill(m_daemon, SIGCONT);
            ::kill(m_daemon, SIGKILL);
        }
        m_mounts.reset();
    }

    // Every subcommand that only reads, on the FUSE letter and its substitute.
    void everySubcommandEndsWithinItsBound(const char* state) {
        const std::string fuse = std::string(1, m_letter) + ":";
        const std::string subst = std::string(1, m_substitute) + ":";
        const std::vector<std::vector<std::string>> commands = {
            {"list"}, {"list", "--json"}, {"volumes"}, {"usb"}, {"clusters"},
            {"diskinfo", fuse}, {"diskinfo", subst}, {"smart", fuse}, {"media", fuse}, {"optical", subst},
            {"chkdsk", subst}, {"bench", "--local", "--size", "65536"},
        };
        for (const auto& command : commands) {
            std::string line;
            for (const auto& part : command) line += part + " ";
            SCOPED_TRACE(std::string(state) + ": " + line);
            const Finished finished = runSubcommand(command);
            std::printf("%s: %-30s exit %d after %lld ms\n", state, line.c_str(), finished.status, finished.ms);
            EXPECT_NE(finished.status, -1) << "killed after " << kGiveUpSeconds << " s";
            EXPECT_LE(finished.ms, kBoundSeconds * 1000);
        }
    }

    std::unique_ptr<ScratchMounts> m_mounts;
    std::string m_point;
    int m_daemon = -1;
    char m_letter = 0;
    char m_substitute = 0;
    std::vector<std::pair<std::string, std::string>> m_saved;
};

TEST_F(StoppedMount, SubcommandsEndWithinTheirBoundWhenTheDaemonStopsAndDies) {
    everySubcommandEndsWithinItsBound("answering");
    ASSERT_EQ(::kill(m_daemon, SIGSTOP), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // past the kernel's attribute cache
    everySubcommandEndsWithinItsBound("stopped");
    ::kill(m_daemon, SIGKILL);
    ::kill(m_daemon, SIGCONT);
    ::waitpid(m_daemon, nullptr, WNOHANG);
    everySubcommandEndsWithinItsBound("killed");
}

TEST_F(StoppedMount, KilledBenchmarkLeavesNoFileOnAFuseVolume) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        auto platform = makeLinuxPlatform(defaultLinuxOptions());
        tools::ReadTestFile file(*platform, tools::randomTemporaryNames());
        const bool made = file.create(std::string(1, m_letter) + ":\\") && file.writeAll(4 << 20);
        const char verdict = made ? 'y' : 'n';
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
    EXPECT_EQ(verdict, 'y') << "the benchmark could not write its file on the FUSE volume";
    EXPECT_TRUE(temporaryFiles(m_point).empty()) << temporaryFiles(m_point).front();
}

}  // namespace
}  // namespace zv::lnx::roottest
