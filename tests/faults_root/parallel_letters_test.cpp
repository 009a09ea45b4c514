// Two processes that save the letters file at the same time, 100 times each: each runs in a
// mount namespace of its own, mounts a new RAM disk there before every `zorvane-cli list`
// (so that every run gives a new volume a letter and saves the file) and unmounts it after.
// Both share one home folder. The letters file starts with six letters (U: to Z:) of
// volumes that are not present: no run has a reason to give those letters to anything else,
// since new volumes take the lowest free letter.
//
// What must hold: every run ends with status 0; a reader that reads the letters file over
// and over meanwhile never finds it empty or missing one of the six letters; at the end the
// six letters are all still there.
#include "fault_sandbox.h"

#include <gtest/gtest.h>

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
    long reads = 0, empty = 0, incomplete = 0;
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

    // One process: 100 times a new RAM disk in its own namespace, then `list`.
    ChildSpec saver(const std::string& name) {
        std::string folder = m_box->base() + "/" + name;
        fs::create_directories(folder);
        ChildSpec spec = m_box->cliSpec({{"list"}, 120s, {}, {}, name});
        std::string cli = spec.argv.front();
        std::string script =
            "i=0; while [ $i -lt " + std::to_string(kRunsPerProcess) +
            " ]; do mkdir -p \"$1/m$i\" && mount -t tmpfs -o size=1m zvpar \"$1/m$i\" || exit 90; "
            "\"$2\" list > /dev/null; status=$?; [ $status -eq 0 ] || echo \"run $i: status $status\" >> \"$1/failures\"; "
            "umount \"$1/m$i\"; i=$((i+1)); done";
        spec.argv = {"/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c", script, "sh", folder, cli};
        return spec;
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
            if (bytes.empty()) ++figures.empty;
            else if (!holdsEveryGhost(bytes) && ++figures.incomplete == 1) figures.sample = bytes;
        }
    });
    RunningChild a(saver("a")), b(saver("b"));
    ChildOutcome endA = a.wait(120s), endB = b.wait(120s);
    done = true;
    reader.join();

    std::printf("letters file read %ld times while 2 x %d runs saved it: %ld empty, %ld without every letter; "
                "%lld ms and %lld ms\n",
                figures.reads, kRunsPerProcess, figures.empty, figures.incomplete, endA.elapsedMs, endB.elapsedMs);
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

}  // namespace
}  // namespace zv::faulttest
