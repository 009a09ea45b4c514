#include "platform/linux/volume_dismount.h"

#include "platform/linux/checker_process.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/mount_table.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>

namespace zv::lnx {

namespace {

// What was taken off, per letter, until it is mounted again.
std::map<char, std::vector<VolumeMount>>& dismounted() {
    static std::map<char, std::vector<VolumeMount>> mounts;
    return mounts;
}

std::string canonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// mount(8) rather than mount(2): it finds the type and runs the helper a FUSE file system
// (ntfs-3g, exFAT) needs.
int runMount(const VolumeMount& mount) {
    const std::string program = findExecutable("mount");
    if (program.empty()) return ENOENT;
    const pid_t child = ::fork();
    if (child < 0) return errno;
    if (child == 0) {
        ::execl(program.c_str(), "mount", "-o", mount.options.c_str(), mount.device.c_str(), mount.target.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : EIO;
}

}  // namespace

std::vector<VolumeMount> mountsOfVolume(LinuxContext& ctx, char letter) {
    std::vector<VolumeMount> mounts;
    const auto target = ctx.target(letter);
    if (!target || target->devNode.empty()) return mounts;
    struct stat device {};
    const bool isDevice = ::stat(target->devNode.c_str(), &device) == 0 && S_ISBLK(device.st_mode);
    const std::string node = canonicalPath(target->devNode);
    for (const MountEntry& entry : readMountTable(ctx.sysPath("/proc/self/mountinfo"))) {
        const bool sameSource = !entry.source.empty() && entry.source[0] == '/' && canonicalPath(entry.source) == node;
        const bool sameNumber =
            isDevice && entry.major == major(device.st_rdev) && entry.minor == minor(device.st_rdev);
        if (sameSource || sameNumber) mounts.push_back({target->devNode, entry.target, entry.options});
    }
    // Mounts below another one come off first and go back last.
    std::stable_sort(mounts.begin(), mounts.end(),
                     [](const VolumeMount& a, const VolumeMount& b) { return a.target.size() > b.target.size(); });
    return mounts;
}

int dismountVolume(LinuxContext& ctx, char letter) {
    const std::vector<VolumeMount> mounts = mountsOfVolume(ctx, letter);
    std::vector<VolumeMount> done;
    for (const VolumeMount& mount : mounts) {
        if (::umount2(mount.target.c_str(), 0) != 0) {
            const int error = errno;
            for (auto it = done.rbegin(); it != done.rend(); ++it) runMount(*it);
            invalidateLetters(ctx);
            return error;
        }
        done.push_back(mount);
    }
    auto& saved = dismounted()[letter];
    saved.insert(saved.end(), done.begin(), done.end());
    invalidateLetters(ctx);
    return 0;
}

int remountVolume(LinuxContext& ctx, char letter) {
    auto found = dismounted().find(letter);
    if (found == dismounted().end()) return 0;
    int firstError = 0;
    for (auto it = found->second.rbegin(); it != found->second.rend(); ++it) {
        const int error = runMount(*it);
        if (error != 0 && firstError == 0) firstError = error;
    }
    dismounted().erase(found);
    invalidateLetters(ctx);
    return firstError;
}

}  // namespace zv::lnx
