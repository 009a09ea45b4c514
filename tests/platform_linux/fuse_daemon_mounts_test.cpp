// Finding the FUSE daemon that serves a device, on a /proc tree made for the test.
#include "platform/linux/fuse_daemon_mounts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace zv::lnx {
namespace {

namespace fs = std::filesystem;

class FuseDaemonMounts : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("zv-holders-" + std::to_string(::getpid()));
        fs::create_directories(m_root / "proc");
        fs::create_directories(m_root / "mnt");
        std::ofstream(m_root / "loop7").put('x');
        std::ofstream(m_root / "other").put('x');
    }
    void TearDown() override { fs::remove_all(m_root); }

    // A process with the given open files and command line.
    void addProcess(int pid, const std::string& name, const std::vector<fs::path>& open,
                    const std::vector<std::string>& arguments) {
        const fs::path folder = m_root / "proc" / std::to_string(pid);
        fs::create_directories(folder / "fd");
        int fd = 0;
        for (const fs::path& file : open) fs::create_symlink(file, folder / "fd" / std::to_string(fd++));
        std::ofstream(folder / "comm") << name << '\n';
        fs::create_directory_symlink(m_root, folder / "cwd");
        std::ofstream cmdline(folder / "cmdline", std::ios::binary);
        for (const std::string& argument : arguments) cmdline << argument << '\0';
    }
    std::vector<DeviceHolder> holders() const {
        return deviceHolders((m_root / "loop7").string(), (m_root / "proc").string());
    }

    fs::path m_root;
};

TEST_F(FuseDaemonMounts, OnlyProcessesWithTheDeviceOpenAreFound) {
    addProcess(41, "fusefat", {m_root / "other", m_root / "loop7"},
               {"fusefat", "-o", "rw+", (m_root / "loop7").string(), (m_root / "mnt").string()});
    addProcess(42, "bash", {m_root / "other"}, {"bash"});
    fs::create_directories(m_root / "proc" / "self");  // not a process number

    const auto found = holders();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].pid, 41);
    EXPECT_EQ(found[0].name, "fusefat");
    ASSERT_EQ(found[0].arguments.size(), 5u);
    EXPECT_EQ(found[0].arguments[2], "rw+");
    EXPECT_TRUE(deviceHolders((m_root / "loop7").string(), (m_root / "missing").string()).empty());
}

TEST_F(FuseDaemonMounts, TheFuseMountIsTheOneWhoseMountPointTheDaemonWasGiven) {
    addProcess(41, "exfat-fuse", {m_root / "loop7"}, {"mount.exfat-fuse", "/dev/loop7", (m_root / "mnt").string()});
    MountEntry system;
    system.fsType = "ext4";
    system.target = "/";
    MountEntry elsewhere;
    elsewhere.fsType = "fuse.sshfs";
    elsewhere.target = "/media/remote";
    MountEntry served;
    served.fsType = "fuseblk";
    served.target = fs::canonical(m_root / "mnt").string();
    served.readOnly = true;
    const std::vector<MountEntry> mounts{system, elsewhere, served};

    const MountEntry* found = fuseMountOfHolders(mounts, holders());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->target, served.target);
    EXPECT_TRUE(found->readOnly);

    // A daemon started in another folder names its mount point relative to that folder.
    const fs::path daemon = m_root / "proc" / "41" / "cmdline";
    std::ofstream(daemon, std::ios::binary) << "fusefat" << '\0' << "/dev/loop7" << '\0' << "mnt" << '\0';
    found = fuseMountOfHolders(mounts, holders());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->target, served.target);

    // A daemon that left its folder (the mount point "mnt" cannot be resolved any more) is
    // found by the name of its mount, when only one mount carries that name.
    std::ofstream(daemon, std::ios::binary) << "fusefat" << '\0' << "/dev/loop7" << '\0' << "mnt" << '\0';
    fs::remove(m_root / "proc" / "41" / "comm");
    std::ofstream(m_root / "proc" / "41" / "comm") << "fusefat\n";
    fs::remove(m_root / "proc" / "41" / "cwd");
    fs::create_directory_symlink("/", m_root / "proc" / "41" / "cwd");
    MountEntry fat = served;
    fat.fsType = "fuse.fusefat";
    fat.source = "fusefat";
    fat.target = "/media/stick";
    const std::vector<MountEntry> withFat = {system, elsewhere, fat};  // `found` points into it
    found = fuseMountOfHolders(withFat, holders());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->target, "/media/stick");
    MountEntry secondFat = fat;
    secondFat.target = "/media/card";
    EXPECT_EQ(fuseMountOfHolders({fat, secondFat}, holders()), nullptr) << "two fusefat mounts: which one is unknown";

    // A program holding the device that serves no mount (a copy with dd, say) names none.
    const std::vector<MountEntry> withoutServed{system, elsewhere};
    EXPECT_EQ(fuseMountOfHolders(withoutServed, holders()), nullptr);
}

}  // namespace
}  // namespace zv::lnx
