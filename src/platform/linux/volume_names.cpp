// Volume names on the real machine: "\\?\Volume{UUID}\" for every block device that holds
// a file system with a UUID, mounted or not.
#include "platform/linux/block_device_facts.h"
#include "platform/linux/linux_parts.h"

#include <blkid.h>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace zv::lnx {

namespace {

// The file-system UUID of a device read from its superblock; "" when unreadable.
std::string probedUuid(const std::string& node) {
    const int fd = ::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    std::string uuid;
    if (blkid_probe probe = blkid_new_probe()) {
        if (blkid_probe_set_device(probe, fd, 0, 0) == 0) {
            blkid_probe_enable_superblocks(probe, 1);
            blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_UUID | BLKID_SUBLKS_USAGE);
            const char* usage = nullptr;
            const char* value = nullptr;
            if (blkid_do_safeprobe(probe) == 0 && blkid_probe_lookup_value(probe, "USAGE", &usage, nullptr) == 0 &&
                usage && std::string(usage) == "filesystem" &&
                blkid_probe_lookup_value(probe, "UUID", &value, nullptr) == 0 && value)
                uuid = value;
        }
        blkid_free_probe(probe);
    }
    ::close(fd);
    return uuid;
}

// by-uuid links: device name -> UUID.
std::map<std::string, std::string> uuidLinks(LinuxContext& ctx) {
    std::map<std::string, std::string> links;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(ctx.sysPath("/dev/disk/by-uuid"), error)) {
        std::error_code linkError;
        const auto target = std::filesystem::read_symlink(entry.path(), linkError);
        if (linkError) continue;
        links[target.filename().string()] = decodeUdevText(entry.path().filename().string());
    }
    return links;
}

}  // namespace

std::vector<std::string> linuxVolumeNames(LinuxContext& ctx) {
    std::vector<std::string> names;
    std::set<std::string> seen;
    const auto links = uuidLinks(ctx);
    for (const std::string& device : sortedBlockNames(ctx, "/sys/class/block")) {
        const std::string sysDir = ctx.sysPath("/sys/class/block/" + device);
        if (readSysAttribute(sysDir + "/size") == "0") continue;  // no medium, unused loop
        std::string uuid;
        const auto udev = udevProperties(ctx, readSysAttribute(sysDir + "/dev"));
        if (auto usage = udev.find("ID_FS_USAGE"); usage != udev.end()) {
            if (usage->second != "filesystem") continue;
            if (auto found = udev.find("ID_FS_UUID_ENC"); found != udev.end()) uuid = decodeUdevText(found->second);
            else if (auto plain = udev.find("ID_FS_UUID"); plain != udev.end()) uuid = plain->second;
        }
        if (uuid.empty())
            if (auto link = links.find(device); link != links.end()) uuid = link->second;
        if (uuid.empty()) uuid = probedUuid(ctx.sysPath("/dev/" + device));
        if (uuid.empty() || !seen.insert(uuid).second) continue;
        names.push_back("\\\\?\\Volume{" + uuid + "}\\");
    }
    return names;
}

}  // namespace zv::lnx
