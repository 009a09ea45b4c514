// Two processes that save the letters file at the same time, 100 times each. Each runs in a
// mount namespace of its own with a RAM disk that only it sees; both share one home folder.
// Both RAM disks want the same lowest free letter, so each `zorvane-cli list` finds the
// letter remembered for the other process's disk and saves the file again. The letters file
// starts with six letters (U: to Z:) of volumes that are not present: no run has a reason to
// give those letters to anything else, since new volumes take the lowest free letter.
//
// What must hold: every run ends with status 0; a reader that reads the letters file over
// and over meanwhile never finds it empty or missing one of the six letters; at the end the
// six letters are all still there.
//
// The same race made certain: one process is held for 1.5 seconds (strace delays it) right
// after it has read the letters file, while a second process gives a letter to a volume that
// only the second one sees and saves. What must hold: when the first one saves, the letter
// the second one saved is still in the file (writers re-read the file under a lock).
#include "fault_sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <thread>
#include <unistd.h>

namespace zv::faulttest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const int kRunsPerProcess = 100;
const std::string kGhostLetters = "UVWXYZ";

struct ReaderFigures {
    long reads = 0, changes = 0, empty = 0, incomplete = 0;
    std::string sample;  // the first incomplete content seen
};

class ParallelLetters : public testing::Test {
protected:
    void SetUp() override {
        std::string skip = rootUnavailableReason();
        if (skip.empty()) skip = missingTool("unshare", "util-linux");
        if (!skip.empty()) GTEST_SKIP() << skip;
        m_box = std::make_unique<FaultSandbox>("parallel-letters");
    }

    std::string ghostLine(char letter) const {
        return std::string(1, letter) + "\tram:" + m_box->base() + "/ghost-" + letter + "\n";
    }

    bool holdsEveryGhost(const std::string& letters) const {
        for (char letter : kGhostLetters)
            if (letters.find(ghostLine(letter)) == std::string::npos) return false;
        return true;
    }

    // One process: a RAM disk in a namespace of its own, then 100 times `list`.
    ChildSpec saver(const std::string& name) {
        std::string folder = m_box->base() + "/" + name;
        fs::create_directories(folder);
        ChildSpec request = m_box->cliSpec({{"list"}, 120s, {}, {}, name});
        std::string cli = request.argv.front();
        std::string script =
            "mkdir -p \"$1/disk\" && mount -t tmpfs -o size=1m zvpar \"$1/disk\" || exit 90; i=0; while [ $i -lt " +
            std::to_string(kRunsPerProcess) +
            " ]; do \"$2\" list > /dev/null; status=$?; "
            "[ $status -eq 0 ] || echo \"run $i: status $status\" >> \"$1/failures\"; i=$((i+1)); done";
        request.argv = {"/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c", script, "sh", folder, cli};
        return request;
    }

    std::unique_ptr<FaultSandbox> m_box;
};

TEST_F(ParallelLetters, TwoProcessesSavingKeepEveryLetter) {
    std::string seeded = "# Drive letters last given to each volume (Zorvane)\n";
    for (char letter : kGhostLetters) seeded += ghostLine(letter);
    writeFile(m_box->lettersPath(), seeded);
    ChildOutcome first = m_box->cli({{"list"}, 10s, {}, {}, "before"});
    ASSERT_TRUE(first.exitedWith({0})) << first.summary() << "\n" << first.err;
    for (const auto& [letter, fields] : listRows(first.out))
        if (letter >= kGhostLetters.front())
            GTEST_SKIP() << "this machine has volumes up to " << letter << ":, which leaves no letter to remember";
    ASSERT_TRUE(holdsEveryGhost(fileBytes(m_box->lettersPath()).value_or("")));

    std::atomic<bool> done{false};
    ReaderFigures figures;
    std::thread reader([&] {
        const std::string path = m_box->lettersPath();
        std::string last;
        while (!done) {
            std::string bytes;
            int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                char buffer[4096];
                ssize_t n;
                while ((n = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, size_t(n));
                ::close(fd);
            }
            ++figures.reads;
            if (bytes != last) ++figures.changes;
            last = bytes;
            if (bytes.empty()) ++figures.empty;
            else if (!holdsEveryGhost(bytes) && ++figures.incomplete == 1) figures.sample = bytes;
        }
    });
    RunningChild a(saver("a")), b(saver("b"));
    std::vector<ChildOutcome> ends = RunningChild::waitAll({&a, &b}, 120s);
    const ChildOutcome& endA = ends[0];
    const ChildOutcome& endB = ends[1];
    done = true;
    reader.join();

    std::printf("letters file read %ld times while 2 x %d runs saved it (%ld changes seen): %ld empty, %ld without "
                "every letter; %lld ms and %lld ms\n",
                figures.reads, kRunsPerProcess, figures.changes, figures.empty, figures.incomplete, endA.elapsedMs,
                endB.elapsedMs);
    for (const auto* end : {&endA, &endB})
        EXPECT_TRUE(end->exitedWith({0})) << end->summary() << "\n" << end->err;
    for (const std::string name : {"a", "b"})
        EXPECT_FALSE(fs::exists(m_box->base() + "/" + name + "/failures"))
            << fileBytes(m_box->base() + "/" + name + "/failures").value_or("");
    EXPECT_GT(figures.reads, 0);
    EXPECT_EQ(figures.empty, 0) << "the letters file was seen empty";
    EXPECT_EQ(figures.incomplete, 0) << "the letters file was seen without some letter, e.g.:\n" << figures.sample;
    std::string final = fileBytes(m_box->lettersPath()).value_or("");
    EXPECT_TRUE(holdsEveryGhost(final)) << "letters lost:\n" << final;
}

TEST_F(ParallelLetters, SaveAfterAnotherProcessReadKeepsItsLetter) {
    std::string skip = missingTool("strace", "strace");
    if (!skip.empty()) GTEST_SKIP() << skip;
    std::string seeded = "# Drive letters last given to each volume (Zorvane)\n";
    for (char letter : kGhostLetters) seeded += ghostLine(letter);
    writeFile(m_box->lettersPath(), seeded);
    std::string why;
    ASSERT_TRUE(m_box->mounts().addTmpfs("seen-by-both", 3, &why)) << why;

    // The first process reads the letters file, then waits 1.5 s before it goes on.
    ChildSpec first = m_box->cliSpec({{"list"}, 20s, {}, {}, "held-after-reading"});
    std::vector<std::string> held = {"/usr/bin/strace", "-f", "-qq", "-o", "/dev/null", "-P", m_box->lettersPath(),
                                     "-e", "trace=close", "-e", "inject=close:delay_enter=1500000:when=1"};
    first.argv.insert(first.argv.begin(), held.begin(), held.end());
    // The sanitizer build's leak check cannot run under a tracer.
    auto asan = std::find_if(first.environment.begin(), first.environment.end(),
                             [](const std::string& entry) { return entry.rfind("ASAN_OPTIONS=", 0) == 0; });
    if (asan == first.environment.end()) first.environment.push_back("ASAN_OPTIONS=detect_leaks=0");
    else *asan += ":detect_leaks=0";
    RunningChild slow(first);
    std::this_thread::sleep_for(500ms);

    // Meanwhile a second one, which also sees a RAM disk of its own, saves its letters.
    std::string folder = m_box->base() + "/only-second";
    fs::create_directories(folder);
    ChildSpec second = m_box->cliSpec({{"list"}, 20s, {}, {}, "saves-meanwhile"});
    second.argv = {"/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c",
                   "mount -t tmpfs -o size=1m zvpar \"$1\" || exit 90; exec \"$2\" list", "sh", folder,
                   second.argv.front()};
    ChildOutcome fast = runChild(second, 20s);
    ASSERT_TRUE(fast.exitedWith({0})) << fast.summary() << "\n" << fast.err;
    std::string between = fileBytes(m_box->lettersPath()).value_or("");
    const std::string onlySecond = "\tram:" + folder + "\n";
    ASSERT_NE(between.find(onlySecond), std::string::npos) << "the second process saved no letter:\n" << between;

    ChildOutcome slowEnd = slow.wait(20s);
    EXPECT_TRUE(slowEnd.exitedWith({0})) << slowEnd.summary() << "\n" << slowEnd.err;
    std::string final = fileBytes(m_box->lettersPath()).value_or("");
    EXPECT_NE(final.find(onlySecond), std::string::npos)
        << "the letter the second process saved was lost when the first one saved:\nbefore:\n"
        << between << "after:\n" << final;
    EXPECT_NE(final.find("\tram:" + m_box->mounts().mountPointOf("seen-by-both") + "\n"), std::string::npos) << final;
    EXPECT_TRUE(holdsEveryGhost(final)) << "letters lost:\n" << final;
}

}  // namespace
}  // namespace zv::faulttest
