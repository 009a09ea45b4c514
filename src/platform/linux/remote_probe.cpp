// statvfs with a deadline. A thread blocked in the kernel on a dead mount can neither be
// cancelled nor let the process end, so the question goes to a forked child that is killed
// when it does not answer in time; a child that cannot even be reaped yet is left behind and
// reaped later, never waited for.
#include "platform/linux/remote_probe.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

constexpr uint64_t kAnswerKeptNs = 1'000'000'000;       // a live mount's figures: 1 s
constexpr uint64_t kSilenceKeptNs = 10'000'000'000;     // a dead mount's verdict: 10 s

uint64_t monotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1'000'000'000u + uint64_t(ts.tv_nsec);
}

struct ChildAnswer {
    int error;
    struct statvfs st;
};

void reapStuck(LinuxContext::ProbeState& state) {
    for (auto it = state.stuckChildren.begin(); it != state.stuckChildren.end();) {
        pid_t done = ::waitpid(it->second, nullptr, WNOHANG);
        it = (done == it->second || (done < 0 && errno == ECHILD)) ? state.stuckChildren.erase(it) : std::next(it);
    }
}

VolumeStat askChild(LinuxContext::ProbeState& state, const std::string& path, int timeoutMs) {
    VolumeStat result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.error = errno;
        return result;
    }
    pid_t pid = ::fork();
    if (pid < 0) {
        result.error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (pid == 0) {
        // Only async-signal-safe calls in the child.
        ChildAnswer answer{};
        answer.error = ::statvfs(path.c_str(), &answer.st) == 0 ? 0 : errno;
        ssize_t ignored = ::write(fds[1], &answer, sizeof answer);
        (void)ignored;
        ::_exit(0);
    }
    ::close(fds[1]);
    ChildAnswer answer{};
    size_t got = 0;
    uint64_t deadline = monotonicNs() + uint64_t(timeoutMs) * 1'000'000u;
    while (got < sizeof answer) {
        uint64_t now = monotonicNs();
        if (now >= deadline) break;
        pollfd p{fds[0], POLLIN, 0};
        int ready = ::poll(&p, 1, int((deadline - now + 999'999) / 1'000'000));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        ssize_t n = ::read(fds[0], reinterpret_cast<char*>(&answer) + got, sizeof answer - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += size_t(n);
    }
    ::close(fds[0]);
    if (got == sizeof answer) {
        ::waitpid(pid, nullptr, 0);  // it has answered and is ending
        result.error = answer.error;
        result.ok = answer.error == 0;
        result.st = answer.st;
    } else {
        ::kill(pid, SIGKILL);
        if (::waitpid(pid, nullptr, WNOHANG) != pid) state.stuckChildren[path] = pid;
        result.error = ETIMEDOUT;
    }
    return result;
}

}  // namespace

LinuxContext::ProbeState::~ProbeState() {
    for (auto& [path, pid] : stuckChildren) ::waitpid(pid, nullptr, WNOHANG);
}

bool needsDeadline(const std::string& fsType, bool network) { return network || fsType.rfind("fuse", 0) == 0; }

bool isUnavailableErrno(int error) {
    return error == ENOTCONN || error == EHOSTDOWN || error == ETIMEDOUT || error == ESTALE || error == EIO ||
           error == ECONNABORTED || error == ENETUNREACH || error == EHOSTUNREACH;
}

VolumeStat statVolume(LinuxContext& ctx, const std::string& path, bool guarded) {
    VolumeStat result;
    if (!guarded) {
        result.ok = ::statvfs(path.c_str(), &result.st) == 0;
        result.error = result.ok ? 0 : errno;
        result.unavailable = !result.ok && isUnavailableErrno(result.error);
        return result;
    }
    auto& state = ctx.probes();
    reapStuck(state);
    uint64_t now = monotonicNs();
    auto cached = state.verdicts.find(path);
    if (cached != state.verdicts.end()) {
        uint64_t keep = cached->second.result.unavailable ? kSilenceKeptNs : kAnswerKeptNs;
        if (now - cached->second.atNs < keep) return cached->second.result;
    }
    if (state.stuckChildren.count(path)) {
        // An earlier question still hangs in the kernel: the mount is as dead as it was.
        result.error = ETIMEDOUT;
    } else {
        result = askChild(state, path, ctx.options().networkTimeoutMs);
    }
    result.unavailable = !result.ok && isUnavailableErrno(result.error);
    state.verdicts[path] = {result, monotonicNs()};
    return result;
}

}  // namespace zv::lnx
