// The survey on the real machine with many mounted volumes, timed beside df and lsblk, and
// once more with a network mount whose daemon has stopped answering.
//
// Run as root: zv_bench_survey_bench [volumes] [rounds] [warm]. It makes small loop images
// (RAM disks when the loop devices run out), mounts them, prints figures and cleans up.
// With "warm" it times only repeated surveys on one backend, for profilers.
#include "common/ui_services.h"
#include "platform/linux/linux_platform.h"
#include "survey/drive_survey.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool sh(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string shOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        ::pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

template <typename F>
std::vector<double> timed(int rounds, F&& work) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        auto start = Clock::now();
        work();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return ms;
}

// Everything the benchmark mounted, undone in reverse order.
struct Scratch {
    std::string base;
    std::vector<std::string> points;
    std::vector<std::string> loops;
    int sshfsPid = -1;
    ~Scratch() {
        if (sshfsPid > 0) {
            ::kill(sshfsPid, SIGCONT);
            ::kill(sshfsPid, SIGKILL);
        }
        for (auto it = points.rbegin(); it != points.rend(); ++it) {
            sh("fusermount3 -u -z '" + *it + "'");
            if (!sh("umount '" + *it + "'")) sh("umount -l '" + *it + "'");
        }
        for (const auto& loop : loops) sh("losetup -d " + loop);
        std::error_code ignored;
        fs::remove_all(base, ignored);
    }
};

size_t surveyOnce(zv::platform::Platform& platform) {
    zv::NullEventPump pump;
    zv::survey::DriveSurvey survey(platform, pump);
    zv::survey::CollectingSink sink;
    survey.run(zv::survey::SurveyOptions{}, sink);
    return sink.rows.size();
}

}  // namespace

int main(int argc, char** argv) {
    int volumes = argc > 1 ? std::atoi(argv[1]) : 20;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 15;
    const bool warmOnly = argc > 3 && std::string(argv[3]) == "warm";
    if (::geteuid() != 0) {
        std::printf("survey_bench: needs root to mount loop images; nothing measured\n");
        return 0;
    }
    Scratch scratch;
    scratch.base = "/tmp/zv-bench-" + std::to_string(::getpid());
    fs::create_directories(scratch.base);
    int loopCount = 0, ramCount = 0;
    for (int i = 0; i < volumes; ++i) {
        std::string point = scratch.base + "/v" + std::to_string(i);
        fs::create_directories(point);
        std::string image = scratch.base + "/v" + std::to_string(i) + ".img";
        std::string loop;
        if (sh("truncate -s 16M " + image)) loop = shOutput("losetup -f --show " + image + " 2>/dev/null");
        if (!loop.empty()) {
            scratch.loops.push_back(loop);
            if (sh("mkfs.ext4 -q -F -L bench" + std::to_string(i) + " " + loop) && sh("mount " + loop + " " + point)) {
                scratch.points.push_back(point);
                ++loopCount;
                continue;
            }
        }
        if (sh("mount -t tmpfs -o size=8m zvbench " + point)) {
            scratch.points.push_back(point);
            ++ramCount;
        }
    }
    std::printf("mounted %d loop images (ext4, 16 MiB) and %d RAM disks\n", loopCount, ramCount);

    zv::lnx::LinuxOptions options = zv::lnx::defaultLinuxOptions();
    options.configDir = scratch.base + "/config";
    options.runtimeDir = scratch.base + "/runtime";
    size_t rows = 0;
    {
        auto platform = zv::lnx::makeLinuxPlatform(options);
        auto cold = timed(1, [&] { rows = surveyOnce(*platform); });
        auto warm = timed(rounds, [&] { rows = surveyOnce(*platform); });
        std::printf("survey, first in the process:  %8.2f ms (%zu rows)\n", cold[0], rows);
        std::printf("survey, median of %d:          %8.2f ms\n", rounds, median(warm));
    }
    if (warmOnly) return 0;
    auto fresh = timed(rounds, [&] {
        auto platform = zv::lnx::makeLinuxPlatform(options);
        surveyOnce(*platform);
    });
    std::printf("survey with a new backend:     %8.2f ms (median)\n", median(fresh));
    std::printf("df -B1 (fork and exec):        %8.2f ms (median)\n",
                median(timed(rounds, [] { sh("df -B1"); })));
    std::printf("lsblk -b (fork and exec):      %8.2f ms (median)\n",
                median(timed(rounds, [] { sh("lsblk -b"); })));

    // A network mount whose daemon stops: sshfs talking to a local sftp-server directly.
    std::string exported = scratch.base + "/exported", point = scratch.base + "/remote";
    fs::create_directories(exported);
    fs::create_directories(point);
    std::string wrapper = scratch.base + "/sftp";
    std::ofstream(wrapper) << "#!/bin/sh\nexec /usr/lib/openssh/sftp-server\n";
    fs::permissions(wrapper, fs::perms::owner_all);
    if (sh("command -v sshfs") && fs::exists("/usr/lib/openssh/sftp-server") &&
        sh("sshfs -o ssh_command=" + wrapper + " localhost:" + exported + " " + point)) {
        scratch.points.push_back(point);
        scratch.sshfsPid = std::atoi(shOutput("pgrep -n -f '^sshfs -o ssh_command=" + wrapper + "'").c_str());
        auto platform = zv::lnx::makeLinuxPlatform(options);
        std::printf("survey with a live sshfs mount:%8.2f ms\n", timed(1, [&] { surveyOnce(*platform); })[0]);
        if (scratch.sshfsPid > 0 && ::kill(scratch.sshfsPid, SIGSTOP) == 0) {
            platform = zv::lnx::makeLinuxPlatform(options);  // no verdict of the live mount kept
            auto dead = timed(1, [&] { rows = surveyOnce(*platform); });
            auto again = timed(1, [&] { surveyOnce(*platform); });
            std::printf("survey, sshfs daemon stopped:  %8.2f ms (%zu rows; deadline %d ms)\n", dead[0], rows,
                        options.networkTimeoutMs);
            std::printf("next survey within 10 s:       %8.2f ms (the verdict is remembered)\n", again[0]);
        }
    } else {
        std::printf("dead network mount: not measured (sshfs or sftp-server missing)\n");
    }
    return 0;
}
