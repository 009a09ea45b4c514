// Runs a checker program as a child process and hands its output lines and progress lines
// to the caller as they arrive, on the calling thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zv::lnx {

struct CheckerRun {
    int exitStatus = -1;      // the exit code; -1 when ended by a signal or not started
    bool started = false;
    bool stopped = false;     // the caller asked to stop and the child's process group was ended
    std::string startError;   // why it could not be started
};

// `program` is an executable path. Standard output and error arrive merged through
// `onLine`; with `progressDescriptor`, the token "{progress}" in `arguments` is replaced by
// the number of a descriptor whose lines arrive through `onProgress`. A handler answering
// false asks to stop. `onIdle` is called every kIdleIntervalMs, so even a
// silent checker still lets the caller look at its window and answer false to stop.
// The child runs in a process group of its own; a stop sends SIGTERM to the group, and
// SIGKILL when it has not ended kStopGraceMs later. Output that still arrives is delivered.
CheckerRun runCheckerProcess(const std::string& program, const std::vector<std::string>& arguments,
                             bool progressDescriptor, const std::function<bool(const std::string&)>& onLine,
                             const std::function<bool(const std::string&)>& onProgress,
                             const std::function<bool()>& onIdle = {});

constexpr int kIdleIntervalMs = 50;
constexpr int kStopGraceMs = 1000;

// `arguments` as run: "{progress}" replaced by the descriptor number the child writes
// its progress lines to.
std::vector<std::string> argumentsAsRun(const std::vector<std::string>& arguments);

// The executable of `name` on the search path, or in the system folders (a user's path
// often lacks /usr/sbin, where the checkers live); "" when absent.
std::string findExecutable(const std::string& name);

}  // namespace zv::lnx
