// A program run as a child with a hard time limit: its own process group (so that the
// helpers it forks go with it), its own environment, optionally another user, and its
// output kept in files. A child that outlives its limit is killed with its group and
// reported as such; nothing it started is left running when the run is over.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zv::faulttest {

struct ChildSpec {
    std::vector<std::string> argv;
    std::vector<std::string> environment;  // "NAME=value", the whole environment
    std::optional<uid_t> uid;              // run as this user (and group `gid`) instead of root
    gid_t gid = 0;
    std::string outputBase;  // "<outputBase>.out" and "<outputBase>.err" keep the output
    // A child that reads without end would take the machine's memory before its time is up:
    // above this resident size it is killed.
    size_t memoryLimitBytes = size_t(1) << 30;
};

struct ChildOutcome {
    int exitCode = -1;  // -1 when the child did not exit by itself
    int signal = 0;     // the signal that ended it, when one did
    bool timedOut = false;
    bool overMemory = false;  // killed for using more than its memory limit
    long long elapsedMs = 0;
    std::string out, err;

    bool exitedWith(std::initializer_list<int> codes) const;
    // "exit 0 after 85 ms", "killed by signal 11 after ...", "still running after 10000 ms".
    std::string summary() const;
};

class RunningChild {
public:
    explicit RunningChild(const ChildSpec& request);
    ~RunningChild();
    RunningChild(const RunningChild&) = delete;
    RunningChild& operator=(const RunningChild&) = delete;
    RunningChild(RunningChild&& other) noexcept;

    // Waits until the child ends or `limit` has passed since it started; then kills what is
    // left of its process group and collects the outcome.
    ChildOutcome wait(std::chrono::milliseconds limit);
    pid_t pid() const { return m_pid; }

    // The same for several children. A process stuck in a lookup on a hung FUSE mount can
    // hold others in uninterruptible sleep behind the same path: every group is killed
    // before any child is reaped.
    static std::vector<ChildOutcome> waitAll(std::vector<RunningChild*> children, std::chrono::milliseconds limit);

private:
    // Whether the child has ended or has to be stopped now (time or memory); fills m_outcome
    // then. Reaps nothing.
    bool checkEnd(std::chrono::milliseconds limit);
    void awaitEnd(std::chrono::milliseconds limit);
    void killGroup();
    void reap();
    ChildOutcome finish();

    pid_t m_pid = -1;
    std::string m_outputBase;
    size_t m_memoryLimit = 0;
    std::chrono::steady_clock::time_point m_started;
    ChildOutcome m_outcome;
    bool m_ended = false;
};

ChildOutcome runChild(const ChildSpec& request, std::chrono::milliseconds limit);

}  // namespace zv::faulttest
