// `zorvane-cli list` against df on this machine: both run as programs, alternately, with
// their output going to /dev/null, and the medians of their wall times compared.
//
// Usage: zv_bench_list_vs_df [--runs N] [--cli PATH] [--timeout SECONDS] [-- DF ARGUMENTS]
// The program is the zorvane-cli of this build unless --cli names another. Arguments after
// "--" are given to df (a stopped network mount makes plain df wait; "-l" or "-x TYPE"
// leave it out). A run that outlasts the timeout is killed and counted as that long.
// Prints the medians and the median ratio list/df of the wall times, and the same of the
// processor time (user + system) the children used, which other load on the machine
// disturbs less; the goal is a ratio of at most 1.0.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Options {
    int runs = 20;
    std::string cli;
    double timeoutSeconds = 10;
    std::vector<std::string> dfArguments;
};

double nowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The zorvane-cli built beside this benchmark: <build>/bench/<this> -> <build>/src/zorvane-cli.
std::string builtCli() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "zorvane-cli";
    const std::filesystem::path beside = self.parent_path().parent_path() / "src" / "zorvane-cli";
    return std::filesystem::exists(beside) ? beside.string() : "zorvane-cli";
}

struct RunTimes {
    double wallMs = -1;  // -1: the program could not be started
    double cpuMs = 0;    // user and system time of the program
    bool timedOut = false;
};

double milliseconds(const timeval& time) { return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3; }

// Waits for `pid` at most `timeoutMs`; kills it when it does not end in time.
// Returns false when it had to be killed; `*cpuMs` is the processor time it used.
bool waitWithin(pid_t pid, double timeoutMs, double* cpuMs) {
    const int pidfd = int(::syscall(SYS_pidfd_open, pid, 0));
    bool inTime = true;
    if (pidfd >= 0) {
        pollfd ready{pidfd, POLLIN, 0};
        int result;
        do result = ::poll(&ready, 1, int(timeoutMs)); while (result < 0 && errno == EINTR);
        if (result == 0) {
            ::kill(pid, SIGKILL);
            inTime = false;
        }
        ::close(pidfd);
    }
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    *cpuMs = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
    return inTime;
}

// One run of `argv` with standard output and error on /dev/null.
RunTimes timedRun(const std::vector<std::string>& argv, double timeoutMs) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const double start = nowMs();
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", args[0], std::strerror(error));
        return {};
    }
    RunTimes times;
    times.timedOut = !waitWithin(pid, timeoutMs, &times.cpuMs);
    times.wallMs = nowMs() - start;
    return times;
}

bool parseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--") {
            options->dfArguments.assign(argv + i + 1, argv + argc);
            return true;
        }
        if (arg == "--runs" && hasValue) options->runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--cli" && hasValue) options->cli = argv[++i];
        else if (arg == "--timeout" && hasValue) options->timeoutSeconds = std::max(0.1, std::atof(argv[++i]));
        else {
            std::fprintf(stderr, "usage: %s [--runs N] [--cli PATH] [--timeout SECONDS] [-- DF ARGUMENTS]\n", argv[0]);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, &options)) return 2;
    if (options.cli.empty()) options.cli = builtCli();
    std::vector<std::string> list{options.cli, "list"};
    std::vector<std::string> df{"df"};
    df.insert(df.end(), options.dfArguments.begin(), options.dfArguments.end());

    const double timeoutMs = options.timeoutSeconds * 1000;
    std::vector<double> listWall, dfWall, wallRatios, listCpu, dfCpu;
    int timeouts = 0;
    // One untimed round of each first: the page cache holds both programs afterwards.
    timedRun(list, timeoutMs);
    timedRun(df, timeoutMs);
    for (int i = 0; i < options.runs; ++i) {
        const RunTimes a = timedRun(list, timeoutMs);
        const RunTimes b = timedRun(df, timeoutMs);
        if (a.wallMs < 0 || b.wallMs < 0) return 1;
        timeouts += a.timedOut + b.timedOut;
        listWall.push_back(a.wallMs);
        dfWall.push_back(b.wallMs);
        wallRatios.push_back(a.wallMs / b.wallMs);
        listCpu.push_back(a.cpuMs);
        dfCpu.push_back(b.cpuMs);
    }
    std::printf("runs: %d alternating (%s list / df", options.runs, options.cli.c_str());
    for (const std::string& arg : options.dfArguments) std::printf(" %s", arg.c_str());
    std::printf(")\n");
    const auto line = [](const char* what, const std::vector<double>& ms) {
        std::printf("%-26s median %6.2f ms  (min %.2f, max %.2f)\n", what, median(ms),
                    *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()));
    };
    line("zorvane-cli list, wall", listWall);
    line("df, wall", dfWall);
    line("zorvane-cli list, processor", listCpu);
    line("df, processor", dfCpu);
    std::printf("median ratio list/df, wall: %.2f (goal <= 1.0)\n", median(wallRatios));
    std::printf("ratio of the median processor times list/df: %.2f\n",
                median(dfCpu) > 0 ? median(listCpu) / median(dfCpu) : 0.0);
    if (timeouts) std::printf("%d run(s) killed after %.1f s\n", timeouts, options.timeoutSeconds);
    return 0;
}
