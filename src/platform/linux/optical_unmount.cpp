// Unmounting what is mounted from a disk before its medium leaves the drive.
#include "platform/linux/optical_media.h"
#include "platform/linux/sysfs.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

namespace zv::lnx {

namespace {

DWORD errorOfMessage(const std::string& message) {
    if (message.find("busy") != std::string::npos) return ERROR_BUSY;
    if (message.find("ermission") != std::string::npos || message.find("must be superuser") != std::string::npos ||
        message.find("only root") != std::string::npos)
        return ERROR_ACCESS_DENIED;
    return ERROR_GEN_FAILURE;
}

UnmountOutcome unmountWithSystemCall(const std::string& mountPoint) {
    UnmountOutcome outcome;
    if (::umount2(mountPoint.c_str(), 0) == 0) return outcome;
    const int error = errno;
    outcome.ok = false;
    outcome.error = error == EBUSY ? ERROR_BUSY : win32ErrorFromErrno(error);
    outcome.message = "umount: " + mountPoint + ": " + std::strerror(error) + ".";
    return outcome;
}

// umount(8) with its standard error captured: its message names what keeps the mount busy
// in the words users know from the terminal.
UnmountOutcome unmountWithProgram(const std::string& mountPoint) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return unmountWithSystemCall(mountPoint);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return unmountWithSystemCall(mountPoint);
    }
    if (child == 0) {
        ::dup2(pipeFds[1], STDERR_FILENO);
        ::dup2(pipeFds[1], STDOUT_FILENO);
        const char* argv[] = {"umount", mountPoint.c_str(), nullptr};
        ::execvp("umount", const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string output;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        output.append(buffer, size_t(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    UnmountOutcome outcome;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return outcome;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127) return unmountWithSystemCall(mountPoint);
    outcome.ok = false;
    outcome.message = trimmed(output);
    if (outcome.message.empty()) outcome.message = "umount: " + mountPoint + ": failed.";
    outcome.error = errorOfMessage(outcome.message);
    return outcome;
}

bool isPartitionOf(const std::string& source, const std::string& disk) {
    if (source == disk) return true;
    if (source.size() <= disk.size() || source.compare(0, disk.size(), disk) != 0) return false;
    size_t at = disk.size();
    // Disks whose name ends in a digit name their partitions with a "p" between.
    if (std::isdigit(static_cast<unsigned char>(disk.back()))) {
        if (source[at] != 'p') return false;
        ++at;
    }
    return at < source.size() && std::all_of(source.begin() + long(at), source.end(),
                                             [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

}  // namespace

UnmountRunner& unmountRunner() {
    static UnmountRunner runner = unmountWithProgram;
    return runner;
}

std::vector<std::string> mountPointsOnDisk(const std::vector<MountEntry>& mounts, const std::string& diskNode) {
    std::vector<std::string> points;
    if (diskNode.empty()) return points;
    for (const auto& mount : mounts)
        if (isPartitionOf(mount.source, diskNode)) points.push_back(mount.target);
    std::stable_sort(points.begin(), points.end(), [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    return points;
}

UnmountOutcome unmountDisk(LinuxContext& ctx, const std::string& diskNode) {
    const auto mounts = readMountTable(ctx.sysPath("/proc/self/mountinfo"));
    for (const std::string& point : mountPointsOnDisk(mounts, diskNode)) {
        UnmountOutcome outcome = unmountRunner()(point);
        if (!outcome.ok) {
            if (ctx.dialogs) ctx.dialogs->showMessage("Eject", outcome.message);
            return outcome;
        }
    }
    return {};
}

}  // namespace zv::lnx
