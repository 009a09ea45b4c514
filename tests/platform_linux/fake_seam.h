// A system-call seam that refuses every device open the way /dev/sdX refuses an ordinary
// user, and records what was asked.
#pragma once

#include "platform/linux/linux_platform.h"
#include "recorded_tree.h"

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace zv::lnx::test {

class RefusingSeam final : public SysSeam {
public:
    int open(const std::string& path, int flags) override {
        opened.push_back(path);
        openFlags.push_back(flags);
        errno = refusal;
        return -1;
    }
    int close(int) override { return 0; }
    int ioctl(int, unsigned long, void*) override {
        errno = ENOTTY;
        return -1;
    }
    int refusal = EACCES;
    std::vector<std::string> opened;
    std::vector<int> openFlags;
};

inline LinuxOptions treeOptions(const RecordedTree& tree, SysSeam* seam) {
    LinuxOptions options;
    options.sysRoot = tree.root();
    options.configDir = tree.configDir();
    options.runtimeDir = tree.runtimeDir();
    options.seam = seam;
    options.networkTimeoutMs = 2000;
    return options;
}

}  // namespace zv::lnx::test
