// Children with a deadline.
#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zv::faulttest {

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> list;
    for (auto& s : strings) list.push_back(s.data());
    list.push_back(nullptr);
    return list;
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void becomeChild(const ChildSpec& request, char* const* argv, char* const* envp, const char* outPath,
                              const char* errPath) {
    ::setpgid(0, 0);
    int in = ::open("/dev/null", O_RDONLY);
    int out = ::open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = ::open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (request.uid) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(request.gid, request.gid, request.gid) != 0 ||
            ::setresuid(*request.uid, *request.uid, *request.uid) != 0)
            ::_exit(126);
    }
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

size_t residentBytes(pid_t pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * size_t(::sysconf(_SC_PAGESIZE));
}

}  // namespace

bool ChildOutcome::exitedWith(std::initializer_list<int> codes) const {
    if (timedOut || overMemory || signal != 0) return false;
    for (int code : codes)
        if (exitCode == code) return true;
    return false;
}

std::string ChildOutcome::summary() const {
    std::string when = " after " + std::to_string(elapsedMs) + " ms";
    if (timedOut) return "still running" + when + ", killed";
    if (overMemory) return "took more memory than allowed" + when + ", killed";
    if (signal) return "killed by signal " + std::to_string(signal) + when;
    return "exit " + std::to_string(exitCode) + when;
}

RunningChild::RunningChild(const ChildSpec& request) : m_outputBase(request.outputBase), m_memoryLimit(request.memoryLimitBytes) {
    std::vector<std::string> args = request.argv, env = request.environment;
    std::vector<char*> argv = pointers(args), envp = pointers(env);
    std::string outPath = m_outputBase + ".out", errPath = m_outputBase + ".err";
    m_started = std::chrono::steady_clock::now();
    m_pid = ::fork();
    if (m_pid == 0) becomeChild(request, argv.data(), envp.data(), outPath.c_str(), errPath.c_str());
    if (m_pid > 0) ::setpgid(m_pid, m_pid);  // also here, so that the group exists before any kill
}

RunningChild::RunningChild(RunningChild&& other) noexcept
    : m_pid(other.m_pid),
      m_outputBase(std::move(other.m_outputBase)),
      m_memoryLimit(other.m_memoryLimit),
      m_started(other.m_started),
      m_outcome(other.m_outcome),
      m_ended(other.m_ended) {
    other.m_pid = -1;
}

RunningChild::~RunningChild() {
    if (m_pid > 0) {
        killGroup();
        reap();
    }
}

void RunningChild::killGroup() {
    // The leader is still unreaped here, so its group id cannot have been given to anyone else.
    ::kill(-m_pid, SIGCONT);
    ::kill(-m_pid, SIGKILL);
}

void RunningChild::reap() {
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}

bool RunningChild::checkEnd(std::chrono::milliseconds limit) {
    siginfo_t info{};
    bool ended = ::waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == m_pid;
    if (!ended) {
        if (std::chrono::steady_clock::now() >= m_started + limit) m_outcome.timedOut = true;
        else if (residentBytes(m_pid) > m_memoryLimit) m_outcome.overMemory = true;
        else return false;
    } else if (info.si_code == CLD_EXITED) {
        m_outcome.exitCode = info.si_status;
    } else {
        m_outcome.signal = info.si_status;
    }
    m_outcome.elapsedMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_started).count();
    m_ended = true;
    return true;
}

void RunningChild::awaitEnd(std::chrono::milliseconds limit) {
    while (!checkEnd(limit)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

ChildOutcome RunningChild::finish() {
    reap();
    m_outcome.out = fileText(m_outputBase + ".out");
    m_outcome.err = fileText(m_outputBase + ".err");
    return m_outcome;
}

ChildOutcome RunningChild::wait(std::chrono::milliseconds limit) {
    if (m_pid <= 0) return m_outcome;
    awaitEnd(limit);
    killGroup();
    return finish();
}

std::vector<ChildOutcome> RunningChild::waitAll(std::vector<RunningChild*> children, std::chrono::milliseconds limit) {
    // One loop for all, so that each child's time is taken when it ends.
    for (bool waiting = true; waiting;) {
        waiting = false;
        for (RunningChild* child : children)
            if (child->m_pid > 0 && !child->m_ended && !child->checkEnd(limit)) waiting = true;
        if (waiting) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    for (RunningChild* child : children)
        if (child->m_pid > 0) child->killGroup();
    std::vector<ChildOutcome> outcomes;
    for (RunningChild* child : children) outcomes.push_back(child->m_pid > 0 ? child->finish() : child->m_outcome);
    return outcomes;
}

ChildOutcome runChild(const ChildSpec& request, std::chrono::milliseconds limit) {
    RunningChild child(request);
    return child.wait(limit);
}

}  // namespace zv::faulttest
