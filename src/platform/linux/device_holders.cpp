// A mounted file system holds no file descriptor on its device: only programs that opened
// the node themselves show up here, which is what "another program uses the drive" means.
#include "platform/linux/device_holders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace zv::lnx {

namespace {

bool isNumber(const char* name) {
    if (!*name) return false;
    for (const char* c = name; *c; ++c)
        if (!std::isdigit(static_cast<unsigned char>(*c))) return false;
    return true;
}

std::string linkText(const std::string& path) {
    char buffer[4096];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    return length > 0 ? std::string(buffer, size_t(length)) : std::string();
}

bool fdNamesDevice(const std::string& fdPath, const std::string& node, const struct stat* device) {
    if (linkText(fdPath) == node) return true;
    if (!device) return false;
    struct stat target{};
    return ::stat(fdPath.c_str(), &target) == 0 && S_ISBLK(target.st_mode) && target.st_rdev == device->st_rdev;
}

bool processHolds(const std::string& fdFolder, const std::string& node, const struct stat* device) {
    DIR* fds = ::opendir(fdFolder.c_str());
    if (!fds) return false;
    bool holds = false;
    while (dirent* fd = ::readdir(fds)) {
        if (isNumber(fd->d_name) && fdNamesDevice(fdFolder + "/" + fd->d_name, node, device)) {
            holds = true;
            break;
        }
    }
    ::closedir(fds);
    return holds;
}

}  // namespace

bool otherProcessHoldsDevice(const std::string& procRoot, const std::string& node, const std::string& nodeOnDisk,
                             long ownPid) {
    struct stat device{};
    const bool isBlock = ::stat(nodeOnDisk.c_str(), &device) == 0 && S_ISBLK(device.st_mode);
    DIR* processes = ::opendir(procRoot.c_str());
    if (!processes) return false;
    bool held = false;
    while (dirent* process = ::readdir(processes)) {
        if (!isNumber(process->d_name) || std::strtol(process->d_name, nullptr, 10) == ownPid) continue;
        if (processHolds(procRoot + "/" + process->d_name + "/fd", node, isBlock ? &device : nullptr)) {
            held = true;
            break;
        }
    }
    ::closedir(processes);
    return held;
}

}  // namespace zv::lnx
