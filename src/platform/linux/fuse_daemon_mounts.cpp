#include "platform/linux/fuse_daemon_mounts.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace zv::lnx {

namespace {

std::string resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

bool allDigits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool holdsOpen(const std::string& fdFolder, const std::string& node) {
    for (const std::string& fd : entriesOf(fdFolder)) {
        char target[PATH_MAX];
        const ssize_t length = ::readlink((fdFolder + "/" + fd).c_str(), target, sizeof target - 1);
        if (length > 0 && std::string(target, size_t(length)) == node) return true;
    }
    return false;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> splitAtNul(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at = text.find('\0'); at != std::string::npos; at = text.find('\0', start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    if (start < text.size()) parts.push_back(text.substr(start));
    return parts;
}

std::string absolute(const std::string& argument, const std::string& workingFolder) {
    if (argument[0] == '/' || workingFolder.empty()) return argument;
    return workingFolder + "/" + argument;
}

bool isFuse(const MountEntry& entry) { return entry.fsType == "fuseblk" || entry.fsType.rfind("fuse.", 0) == 0; }

}  // namespace

std::vector<DeviceHolder> deviceHolders(const std::string& devNode, const std::string& procRoot) {
    std::vector<DeviceHolder> holders;
    const std::string node = resolved(devNode);
    const std::string self = std::to_string(::getpid());
    for (const std::string& pid : entriesOf(procRoot)) {
        if (!allDigits(pid) || pid == self) continue;
        const std::string folder = procRoot + "/" + pid;
        if (!holdsOpen(folder + "/fd", node)) continue;
        DeviceHolder holder;
        holder.pid = std::atoi(pid.c_str());
        holder.name = fileText(folder + "/comm");
        if (!holder.name.empty() && holder.name.back() == '\n') holder.name.pop_back();
        holder.arguments = splitAtNul(fileText(folder + "/cmdline"));
        char cwd[PATH_MAX];
        const ssize_t length = ::readlink((folder + "/cwd").c_str(), cwd, sizeof cwd - 1);
        if (length > 0) holder.workingFolder.assign(cwd, size_t(length));
        holders.push_back(std::move(holder));
    }
    return holders;
}

const MountEntry* fuseMountOfHolders(const std::vector<MountEntry>& mounts, const std::vector<DeviceHolder>& holders) {
    for (const MountEntry& entry : mounts) {
        if (!isFuse(entry)) continue;
        for (const DeviceHolder& holder : holders)
            for (const std::string& argument : holder.arguments)
                if (!argument.empty() && resolved(absolute(argument, holder.workingFolder)) == entry.target)
                    return &entry;
    }
    // A daemon that changed folder after taking a relative mount point: the only FUSE mount
    // named after it.
    const MountEntry* named = nullptr;
    for (const MountEntry& entry : mounts) {
        if (!isFuse(entry)) continue;
        for (const DeviceHolder& holder : holders) {
            if (holder.name.empty() || (entry.source != holder.name && entry.fsType != "fuse." + holder.name)) continue;
            if (named != nullptr && named != &entry) return nullptr;
            named = &entry;
        }
    }
    return named;
}

}  // namespace zv::lnx
