#include "platform/linux/door_locks.h"

#include "platform/linux/linux_context.h"
#include "platform/linux/sysfs.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace zv::lnx {

namespace {

std::string recordPath(LinuxContext& ctx) {
    const std::string& folder = ctx.options().runtimeDir;
    return folder.empty() ? std::string() : folder + "/locked-doors";
}

std::vector<std::string> lockedNodes(const std::string& path) {
    std::vector<std::string> nodes;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) nodes.push_back(line);
    return nodes;
}

}  // namespace

bool doorLockedByUser(LinuxContext& ctx, const std::string& node) {
    const std::string path = recordPath(ctx);
    if (path.empty()) return false;
    const auto nodes = lockedNodes(path);
    return std::find(nodes.begin(), nodes.end(), node) != nodes.end();
}

void rememberDoorLock(LinuxContext& ctx, const std::string& node, bool locked) {
    const std::string path = recordPath(ctx);
    if (path.empty()) return;
    auto nodes = lockedNodes(path);
    nodes.erase(std::remove(nodes.begin(), nodes.end(), node), nodes.end());
    if (locked) nodes.push_back(node);
    if (!makeFolders(ctx.options().runtimeDir)) return;
    const std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const std::string& item : nodes) out << item << '\n';
        if (!out) return;
    }
    std::rename(temporary.c_str(), path.c_str());
}

}  // namespace zv::lnx
