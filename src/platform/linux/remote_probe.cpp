// Questions with a deadline. A thread blocked in the kernel on a dead mount can neither be
// cancelled nor let the process end, so the question goes to a forked child that is killed
// when it does not answer in time; a child that cannot even be reaped yet is left behind and
// reaped later, never waited for. An opened file comes back over a local socket
// (SCM_RIGHTS), so the caller gets a descriptor of its own.
#include "platform/linux/remote_probe.h"

#include "platform/linux/volume_facts.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

constexpr uint64_t kAnswerKeptNs = 1'000'000'000;       // a live mount's figures: 1 s
constexpr uint64_t kSilenceKeptNs = 10'000'000'000;     // a silent mount's verdict: 10 s

uint64_t monotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1'000'000'000u + uint64_t(ts.tv_nsec);
}

enum class Question { StatVfs, Stat, Access, Open };

struct Request {
    Question question = Question::Stat;
    int flags = 0;    // access mode, or open flags
    mode_t mode = 0;  // open's creation mode
};

struct ChildAnswer {
    int error;
    struct statvfs vfs;
    struct stat st;
};

struct Reply {
    bool answered = false;
    ChildAnswer answer{};
    int fd = -1;
};

// Runs in the child: only async-signal-safe calls.
[[noreturn]] void answerInChild(int channel, const char* path, const Request& request) {
    ChildAnswer answer{};
    int fd = -1;
    switch (request.question) {
    case Question::StatVfs: answer.error = ::statvfs(path, &answer.vfs) == 0 ? 0 : errno; break;
    case Question::Stat: answer.error = ::stat(path, &answer.st) == 0 ? 0 : errno; break;
    case Question::Access: answer.error = ::access(path, request.flags) == 0 ? 0 : errno; break;
    case Question::Open:
        fd = ::open(path, request.flags, request.mode);
        answer.error = fd < 0 ? errno : 0;
        break;
    }
    iovec part{&answer, sizeof answer};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &fd, sizeof fd);
    }
    ssize_t ignored = ::sendmsg(channel, &message, MSG_NOSIGNAL);
    (void)ignored;
    ::_exit(0);
}

// The child's answer and the descriptor that came with it, when it came within the deadline.
Reply awaitReply(int channel, int timeoutMs) {
    Reply reply;
    const uint64_t deadline = monotonicNs() + uint64_t(timeoutMs) * 1'000'000u;
    for (;;) {
        const uint64_t now = monotonicNs();
        if (now >= deadline) return reply;
        pollfd p{channel, POLLIN, 0};
        const int ready = ::poll(&p, 1, int((deadline - now + 999'999) / 1'000'000));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return reply;
        break;
    }
    iovec part{&reply.answer, sizeof reply.answer};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n;
    do n = ::recvmsg(channel, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    while (n < 0 && errno == EINTR);
    if (n != ssize_t(sizeof reply.answer)) return reply;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header))
        if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS)
            std::memcpy(&reply.fd, CMSG_DATA(header), sizeof reply.fd);
    reply.answered = true;
    return reply;
}

void reapStuck(LinuxContext::ProbeState& state) {
    for (auto it = state.stuckChildren.begin(); it != state.stuckChildren.end();) {
        pid_t done = ::waitpid(it->second, nullptr, WNOHANG);
        it = (done == it->second || (done < 0 && errno == ECHILD)) ? state.stuckChildren.erase(it) : std::next(it);
    }
}

// Asks the question in a child; ETIMEDOUT at once while the mount named by `key` is known
// to be silent.
Reply askChild(LinuxContext& ctx, const std::string& key, const std::string& path, const Request& request) {
    auto& state = ctx.probes();
    reapStuck(state);
    Reply reply;
    reply.answer.error = ETIMEDOUT;
    auto silent = state.silentSince.find(key);
    if (silent != state.silentSince.end() && monotonicNs() - silent->second < kSilenceKeptNs) return reply;
    // An earlier question still hangs in the kernel: the mount is as dead as it was.
    if (state.stuckChildren.count(key)) return reply;

    int channel[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, channel) != 0) {
        reply.answer.error = errno;
        return reply;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        reply.answer.error = errno;
        ::close(channel[0]);
        ::close(channel[1]);
        return reply;
    }
    if (pid == 0) answerInChild(channel[1], path.c_str(), request);
    ::close(channel[1]);
    reply = awaitReply(channel[0], ctx.options().networkTimeoutMs);
    ::close(channel[0]);
    if (reply.answered) {
        ::waitpid(pid, nullptr, 0);  // it has answered and is ending
        state.silentSince.erase(key);
        return reply;
    }
    ::kill(pid, SIGKILL);
    if (::waitpid(pid, nullptr, WNOHANG) != pid) state.stuckChildren[key] = pid;
    state.silentSince[key] = monotonicNs();
    reply.answer.error = ETIMEDOUT;
    return reply;
}

}  // namespace

LinuxContext::ProbeState::~ProbeState() {
    for (auto& [key, pid] : stuckChildren) ::waitpid(pid, nullptr, WNOHANG);
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
    const uint64_t now = monotonicNs();
    auto cached = state.verdicts.find(path);
    if (cached != state.verdicts.end()) {
        uint64_t keep = cached->second.result.unavailable ? kSilenceKeptNs : kAnswerKeptNs;
        if (now - cached->second.atNs < keep) return cached->second.result;
    }
    PathGuard guard = guardOf(ctx, path);
    Reply reply = askChild(ctx, guard.key.empty() ? path : guard.key, path, {Question::StatVfs, 0, 0});
    result.error = reply.answer.error;
    result.ok = reply.answered && reply.answer.error == 0;
    if (result.ok) result.st = reply.answer.vfs;
    result.unavailable = !result.ok && isUnavailableErrno(result.error);
    state.verdicts[path] = {result, monotonicNs()};
    return result;
}

PathStat statPath(LinuxContext& ctx, const std::string& path, const PathGuard& guard) {
    PathStat result;
    if (!guard.guarded) {
        result.ok = ::stat(path.c_str(), &result.st) == 0;
        result.error = result.ok ? 0 : errno;
    } else {
        Reply reply = askChild(ctx, guard.key, path, {Question::Stat, 0, 0});
        result.error = reply.answer.error;
        result.ok = reply.answered && reply.answer.error == 0;
        if (result.ok) result.st = reply.answer.st;
    }
    result.unavailable = !result.ok && isUnavailableErrno(result.error);
    return result;
}

int accessPath(LinuxContext& ctx, const std::string& path, int mode, const PathGuard& guard) {
    if (!guard.guarded) return ::access(path.c_str(), mode) == 0 ? 0 : errno;
    return askChild(ctx, guard.key, path, {Question::Access, mode, 0}).answer.error;
}

int openPath(LinuxContext& ctx, const std::string& path, int flags, mode_t mode, const PathGuard& guard, int* error) {
    flags |= O_CLOEXEC;
    if (!guard.guarded) {
        int fd = ::open(path.c_str(), flags, mode);
        *error = fd < 0 ? errno : 0;
        return fd;
    }
    Reply reply = askChild(ctx, guard.key, path, {Question::Open, flags, mode});
    if (reply.answered && reply.answer.error == 0 && reply.fd >= 0) {
        *error = 0;
        return reply.fd;
    }
    if (reply.fd >= 0) ::close(reply.fd);
    *error = reply.answer.error ? reply.answer.error : EIO;
    return -1;
}

}  // namespace zv::lnx
