#include "platform/linux/desktop_open.h"

#include "platform/linux/linux_parts.h"
#include "platform/linux/sysfs.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

// The program that handles `what`, in the user's words.
std::string handlerKind(const std::string& what) {
    const std::string lower = lowerCase(what);
    if (lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 || lower.rfind("file://", 0) == 0)
        return "a web browser";
    if (lower.rfind("mailto:", 0) == 0) return "a mail program";
    return "a file manager";
}

// The watcher: runs the program, waits for it and writes its exit status to `report`.
// Called in a fresh child; async-signal-safe calls only.
[[noreturn]] void watchProgram(char* const* argv, int report) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, nullptr);  // Zorvane may have stopped listening
    const pid_t program = ::fork();
    if (program == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execvp(argv[0], argv);
        ::_exit(127);
    }
    int status = 0, exitStatus = -2;
    if (program > 0) {
        while (::waitpid(program, &status, 0) < 0 && errno == EINTR) {
        }
        exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    ssize_t ignored = ::write(report, &exitStatus, sizeof exitStatus);
    (void)ignored;
    ::_exit(0);
}

}  // namespace

int startProgramWatched(const std::vector<std::string>& argv, int waitMs) {
    if (argv.empty()) return -2;
    std::vector<std::string> strings(argv);
    std::vector<char*> pointers;
    for (auto& text : strings) pointers.push_back(text.data());
    pointers.push_back(nullptr);

    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return -2;
    // The watcher is a grandchild, so that Zorvane never has to collect it.
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        if (::fork() == 0) watchProgram(pointers.data(), report[1]);
        ::_exit(0);
    }
    ::close(report[1]);
    if (child < 0) {
        ::close(report[0]);
        return -2;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int exitStatus = -1;
    pollfd poller{report[0], POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&poller, 1, waitMs);
    } while (ready < 0 && errno == EINTR);
    if (ready > 0) {
        int value = 0;
        if (::read(report[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value)) exitStatus = value;
    }
    ::close(report[0]);
    return exitStatus;
}

std::string desktopOpenFailureText(const std::string& what, int status) {
    const std::string quoted = "\"" + what + "\"";
    switch (status) {
    case 0:
    case -1: return {};
    case 2: return "Nothing can open " + quoted + ": it does not exist.";
    case 3:
        return "Nothing can open " + quoted + ": no program is set up for it. Install " + handlerKind(what) +
               ", or choose one with xdg-mime default.";
    case 4:
        return "The program chosen for " + quoted + " failed to open it (xdg-open ended with status 4).";
    case 127: return "Nothing can open " + quoted + ": xdg-open could not be started.";
    default: return "Nothing could open " + quoted + ": xdg-open ended with status " + std::to_string(status) + ".";
    }
}

std::string openWithDesktop(const std::string& what) {
    if (findProgram("xdg-open").empty())
        return "Nothing can open \"" + what + "\": xdg-open is missing. Install the package xdg-utils.";
    return desktopOpenFailureText(what, startProgramWatched({"xdg-open", what}, kDesktopOpenWaitMs));
}

}  // namespace zv::lnx
