// Which programs hold a drive open: a process table laid out as /proc shows it (fd links
// naming their files), under a folder of its own.
#include "platform/linux/device_holders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace zv::lnx {
namespace {

namespace fs = std::filesystem;

struct ProcessTable {
    fs::path root;
    ProcessTable() {
        std::string pattern = (fs::temp_directory_path() / "zv-holders-XXXXXX").string();
        root = ::mkdtemp(pattern.data());
        fs::create_directories(root / "dev");
        std::ofstream(root / "dev" / "sr0") << "";
    }
    ~ProcessTable() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    void open(int pid, int fd, const std::string& target) {
        const fs::path folder = root / "proc" / std::to_string(pid) / "fd";
        fs::create_directories(folder);
        fs::create_symlink(target, folder / std::to_string(fd));
    }
    bool held(long ownPid) const {
        return otherProcessHoldsDevice((root / "proc").string(), "/dev/sr0", (root / "dev" / "sr0").string(), ownPid);
    }
};

TEST(DeviceHolders, AnotherProcessWithTheNodeOpenHoldsIt) {
    ProcessTable table;
    table.open(100, 0, "/dev/null");
    table.open(100, 1, "pipe:[12345]");
    EXPECT_FALSE(table.held(1)) << "no process has the drive";
    table.open(200, 3, "/dev/sr0");
    EXPECT_TRUE(table.held(1));
    EXPECT_FALSE(table.held(200)) << "the asking process's own descriptors do not count";
}

TEST(DeviceHolders, OtherNodesAndEntriesAreNotHolders) {
    ProcessTable table;
    table.open(300, 4, "/dev/sr1");
    table.open(300, 5, "/dev/sr0p1");
    table.open(301, 6, "/dev/sr");
    // Entries that are no process, and a process whose fd folder is missing.
    fs::create_directories(table.root / "proc" / "self" / "fd");
    fs::create_symlink("/dev/sr0", table.root / "proc" / "self" / "fd" / "3");
    fs::create_directories(table.root / "proc" / "302");
    EXPECT_FALSE(table.held(1));
}

TEST(DeviceHolders, MissingProcessTableHoldsNothing) {
    EXPECT_FALSE(otherProcessHoldsDevice("/nonexistent/proc", "/dev/sr0", "/nonexistent/dev/sr0", 1));
}

}  // namespace
}  // namespace zv::lnx
