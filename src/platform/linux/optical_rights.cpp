// The administrator test of this machine: the right to send the commands to the drive.
#include "platform/linux/optical_rights.h"

#include "platform/linux/linux_parts.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>

namespace zv::lnx {

std::vector<std::string> opticalNodes(const std::string& devFolder) {
    std::vector<std::string> nodes;
    if (DIR* dir = ::opendir(devFolder.c_str())) {
        while (dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name.size() > 2 && name.compare(0, 2, "sr") == 0 &&
                std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
                nodes.push_back(devFolder + "/" + name);
        }
        ::closedir(dir);
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

bool opticalRightsFor(bool root, const std::vector<std::string>& nodes,
                      const std::function<bool(const std::string&)>& mayReadWrite) {
    if (root) return true;
    return std::any_of(nodes.begin(), nodes.end(), mayReadWrite);
}

bool hasOpticalCommandRights(LinuxContext& ctx) {
    return opticalRightsFor(::geteuid() == 0, opticalNodes(ctx.sysPath("/dev")),
                            [](const std::string& node) { return ::access(node.c_str(), R_OK | W_OK) == 0; });
}

}  // namespace zv::lnx
