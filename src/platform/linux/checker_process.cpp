#include "platform/linux/checker_process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <chrono>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

// The descriptor number the child's progress lines are written to.
constexpr int kChildProgressFd = 3;

// Splits what arrived into lines; keeps an unfinished line for the next read.
class LineSplitter {
public:
    template <typename Emit>
    void feed(const char* data, size_t size, Emit&& emit) {
        for (size_t i = 0; i < size; ++i) {
            const char c = data[i];
            if (c == '\n' || c == '\r') {
                if (!m_pending.empty()) emit(m_pending);
                m_pending.clear();
            } else {
                m_pending += c;
            }
        }
    }
    template <typename Emit>
    void finish(Emit&& emit) {
        if (!m_pending.empty()) emit(m_pending);
        m_pending.clear();
    }

private:
    std::string m_pending;
};

void closeIfOpen(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

using Clock = std::chrono::steady_clock;

int elapsedMs(Clock::time_point since) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

}  // namespace

std::vector<std::string> argumentsAsRun(const std::vector<std::string>& arguments) {
    std::vector<std::string> words;
    for (const std::string& argument : arguments)
        words.push_back(argument == "{progress}" ? std::to_string(kChildProgressFd) : argument);
    return words;
}

std::string findExecutable(const std::string& name) {
    if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/local/sbin:/usr/sbin:/sbin:/usr/bin:/bin";
    std::stringstream folders(path);
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

CheckerRun runCheckerProcess(const std::string& program, const std::vector<std::string>& arguments,
                             bool progressDescriptor, const std::function<bool(const std::string&)>& onLine,
                             const std::function<bool(const std::string&)>& onProgress,
                             const std::function<bool()>& onIdle) {
    CheckerRun run;
    int output[2] = {-1, -1};
    int progress[2] = {-1, -1};
    if (::pipe2(output, O_CLOEXEC) != 0 || (progressDescriptor && ::pipe2(progress, O_CLOEXEC) != 0)) {
        run.startError = std::string("cannot create a pipe: ") + std::strerror(errno);
        closeIfOpen(output[0]);
        closeIfOpen(output[1]);
        return run;
    }

    // Everything the child needs is prepared before fork: after it only async-signal-safe
    // calls may run, the parent may have other threads.
    std::vector<std::string> words = {program};
    for (const std::string& word : argumentsAsRun(arguments)) words.push_back(word);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child < 0) {
        run.startError = std::string("cannot start a process: ") + std::strerror(errno);
        closeIfOpen(output[0]);
        closeIfOpen(output[1]);
        closeIfOpen(progress[0]);
        closeIfOpen(progress[1]);
        return run;
    }
    if (child == 0) {
        // A group of its own, so a stop reaches whatever the checker started. Outside the
        // terminal's foreground group Ctrl-C no longer reaches it: it ends with its parent.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        const int nullInput = ::open("/dev/null", O_RDONLY);
        if (nullInput >= 0) ::dup2(nullInput, 0);
        ::dup2(output[1], 1);
        ::dup2(output[1], 2);
        if (progressDescriptor) ::dup2(progress[1], kChildProgressFd);  // dup2 clears close-on-exec
        ::close_range(progressDescriptor ? kChildProgressFd + 1 : 3, ~0U, 0);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    run.started = true;
    ::setpgid(child, child);  // also here: the stop may come before the child ran
    closeIfOpen(output[1]);
    closeIfOpen(progress[1]);

    Clock::time_point stopTime;
    bool killed = false;
    const auto requestStop = [&]() {
        if (!run.stopped) {
            run.stopped = true;
            stopTime = Clock::now();
            ::kill(-child, SIGTERM);
        }
    };
    LineSplitter outputLines;
    LineSplitter progressLines;
    const auto emitLine = [&](const std::string& line) {
        if (!onLine(line)) requestStop();
    };
    const auto emitProgress = [&](const std::string& line) {
        if (onProgress && !onProgress(line)) requestStop();
    };

    char buffer[4096];
    Clock::time_point lastCall = Clock::now();
    while (output[0] >= 0 || progress[0] >= 0) {
        if (run.stopped && !killed && elapsedMs(stopTime) >= kStopGraceMs) {
            killed = true;
            ::kill(-child, SIGKILL);
        }
        if (onIdle && elapsedMs(lastCall) >= kIdleIntervalMs) {
            lastCall = Clock::now();
            if (!onIdle()) requestStop();
        }
        pollfd fds[2] = {{output[0], POLLIN, 0}, {progress[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, kIdleIntervalMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (ready == 0) continue;
        for (int k = 0; k < 2; ++k) {
            int& fd = k == 0 ? output[0] : progress[0];
            if (fd < 0 || (fds[k].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                if (k == 0) outputLines.feed(buffer, static_cast<size_t>(got), emitLine);
                else progressLines.feed(buffer, static_cast<size_t>(got), emitProgress);
            } else if (got == 0 || errno != EINTR) {
                closeIfOpen(fd);
            }
        }
    }
    closeIfOpen(output[0]);
    closeIfOpen(progress[0]);
    progressLines.finish(emitProgress);
    outputLines.finish(emitLine);

    // Whatever the checker left behind in its group goes with it after a stop (the group
    // exists as long as its leader is not reaped).
    if (run.stopped) ::kill(-child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (run.exitStatus == 127) run.startError = "the program could not be started";
    return run;
}

}  // namespace zv::lnx
