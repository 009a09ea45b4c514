// The backend on the real kernel, as root: loop images with ext4, xfs, btrfs, NTFS and FAT,
// a RAM disk, an sshfs mount over loopback that then dies, and a substitute letter. The
// rows are compared with df -B1 and blkid.
#include "platform/linux/linux_platform.h"
#include "scratch_mounts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

namespace zv::lnx::roottest {
namespace {

using namespace zv::win;

const char* const kPrefix = "/tmp/zv-root-test-";

struct DfFigures {
    unsigned long long size = 0, available = 0;
};

DfFigures dfOf(const std::string& point) {
    CommandResult df = run("df -B1 --output=size,avail '" + point + "' | tail -1");
    DfFigures figures;
    std::istringstream(df.output) >> figures.size >> figures.available;
    return figures;
}

std::string blkidValue(const std::string& device, const char* tag) {
    CommandResult value = run("blkid -p -o value -s " + std::string(tag) + " " + device);
    return value.output.substr(0, value.output.find('\n'));
}

class RealKernel : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_skip = unavailableReason();
        if (!s_skip.empty()) return;
        ScratchMounts::sweep(kPrefix);
        s_mounts = std::make_unique<ScratchMounts>(kPrefix + std::to_string(::getpid()));
        std::string why;
        auto need = [&why](bool made) {
            if (made) return;
            if (why.rfind("losetup", 0) == 0) s_skip = "no free loop device: " + why;
            else s_problems.push_back(why);
        };
        need(s_mounts->addImage("ext4", 64, "mkfs.ext4 -q -F -L ExtVol %s", "mount %d %m", "ExtVol", &why));
        need(s_mounts->addImage("xfs", 300, "mkfs.xfs -q -f -L XfsVol %s", "mount %d %m", "XfsVol", &why));
        need(s_mounts->addImage("btrfs", 128, "mkfs.btrfs -q -f -L BtrVol %s", "mount %d %m", "BtrVol", &why));
        if (run("command -v mkntfs && command -v ntfs-3g").ok())
            need(s_mounts->addImage("ntfs", 64, "mkntfs -q -F -Q -L NtfsVol %s", "ntfs-3g %d %m", "NtfsVol", &why));
        if (run("command -v mkfs.fat && command -v fusefat").ok())
            need(s_mounts->addImage("fat", 64, "mkfs.fat -F 32 -n FATVOL %s",
                                    "fusefat -o rw+,fsname=%d %d %m", "FATVOL", &why));
        need(s_mounts->addTmpfs("ram", 16, &why));
        if (!s_mounts->addSshfs("sshfs", &why)) s_noSshfs = why;
    }

    static void TearDownTestSuite() { s_mounts.reset(); }

    void SetUp() override {
        if (!s_skip.empty()) GTEST_SKIP() << s_skip;
        for (const auto& problem : s_problems) ADD_FAILURE() << "could not set up: " << problem;
        p = makeLinuxPlatform(options());
    }

    static LinuxOptions options() {
        LinuxOptions options = defaultLinuxOptions();
        options.configDir = s_mounts->base() + "/config";
        options.runtimeDir = s_mounts->base() + "/runtime";
        return options;
    }

    // The letter the table gives the mount point (the table is the same for every context
    // with the same remembered letters).
    static char letterOf(const std::string& mountPoint) {
        LinuxContext ctx(options());
        for (const DriveTarget& target : ctx.targets())
            if (target.mountPoint == mountPoint) return target.letter;
        return 0;
    }

    void loopVolumesMatchDfAndBlkid();
    void exclusiveOpensOfAMountedVolume();
    void ramDiskAndSubstituteLetter();
    void sshfsMountThatStopsAnsweringIsUnavailable();

    static inline std::unique_ptr<ScratchMounts> s_mounts;
    static inline std::string s_skip, s_noSshfs;
    static inline std::vector<std::string> s_problems;
    std::unique_ptr<platform::Platform> p;
};

void RealKernel::loopVolumesMatchDfAndBlkid() {
    for (const auto& image : s_mounts->images()) {
        if (image.loopDevice.empty()) continue;
        SCOPED_TRACE(image.name);
        char letter = letterOf(image.mountPoint);
        ASSERT_NE(letter, 0) << "no letter for " << image.mountPoint;
        std::string root = std::string(1, letter) + ":\\";
        EXPECT_EQ(p->drives().GetDriveTypeA(root.c_str()), DRIVE_FIXED);
        ULONGLONG available = 0, total = 0, free = 0;
        ASSERT_TRUE(p->drives().GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free));
        DfFigures df = dfOf(image.mountPoint);
        EXPECT_EQ(total, df.size);
        EXPECT_EQ(available, df.available);
        EXPECT_GE(free, available);
        char label[81], fsName[21];
        DWORD serial = 0, maxLength = 0, flags = 0;
        ASSERT_TRUE(p->drives().GetVolumeInformationA(root.c_str(), label, 81, &serial, &maxLength, &flags, fsName, 21));
        EXPECT_EQ(label, blkidValue(image.loopDevice, "LABEL"));
        std::string type = blkidValue(image.loopDevice, "TYPE");
        std::map<std::string, std::string> windowsNames = {{"ntfs", "NTFS"}, {"vfat", "FAT32"}};
        EXPECT_EQ(fsName, windowsNames.count(type) ? windowsNames[type] : type);
        EXPECT_EQ(maxLength, 255u);
        if (type == "vfat") {
            std::string uuid = blkidValue(image.loopDevice, "UUID");  // XXXX-XXXX
            EXPECT_EQ(serial, DWORD(std::stoul(uuid.substr(0, 4) + uuid.substr(5), nullptr, 16)));
        }
        char dos[64];
        ASSERT_GT(p->drives().QueryDosDeviceA(root.substr(0, 2).c_str(), dos, sizeof dos), 0u);
        EXPECT_EQ(dos, image.loopDevice);
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
        ASSERT_TRUE(p->drives().GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters));
        EXPECT_EQ(ULONGLONG(sectorsPerCluster) * bytesPerSector * clusters, total);
    }
}

void RealKernel::exclusiveOpensOfAMountedVolume() {
    char letter = letterOf(s_mounts->mountPointOf("ext4"));
    ASSERT_NE(letter, 0);
    std::string device = std::string("\\\\.\\") + letter + ":";
    HANDLE shared = p->io().CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 3, OPEN_EXISTING, 0);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    p->io().CloseHandle(shared);

    // A mounted file system is no program holding the device: an exclusive reader (a door
    // lock, an identification) gets it, an exclusive writer does not.
    HANDLE reader = p->io().CreateFileA(device.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) p->io().CloseHandle(reader);
    EXPECT_EQ(p->io().CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(p->GetLastError(), ERROR_SHARING_VIOLATION);

    // Another process holding the device open makes even the exclusive reader wait its turn.
    char dos[64];
    ASSERT_GT(p->drives().QueryDosDeviceA(device.substr(4, 2).c_str(), dos, sizeof dos), 0u);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        int fd = open(dos, O_RDONLY);
        char byte = fd >= 0 ? '1' : '0';
        (void)!write(ready[1], &byte, 1);
        pause();
        _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    close(ready[0]);
    EXPECT_EQ(byte, '1') << "the holder could not open " << dos;
    EXPECT_EQ(p->io().CreateFileA(device.c_str(), GENERIC_READ, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(p->GetLastError(), ERROR_SHARING_VIOLATION);
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
}

void RealKernel::ramDiskAndSubstituteLetter() {
    std::string ram = s_mounts->mountPointOf("ram");
    char letter = letterOf(ram);
    ASSERT_NE(letter, 0);
    std::string root = std::string(1, letter) + ":\\";
    EXPECT_EQ(p->drives().GetDriveTypeA(root.c_str()), DRIVE_RAMDISK);
    ULONGLONG available = 0, total = 0;
    ASSERT_TRUE(p->drives().GetDiskFreeSpaceExA(root.c_str(), &available, &total, nullptr));
    EXPECT_EQ(total, 16ull << 20);
    EXPECT_EQ(total, dfOf(ram).size);
    // Unbuffered I/O on tmpfs: refused before Linux 6.6 (the benchmark's fallback path),
    // accepted since.
    std::string file = root + "direct.tmp";
    HANDLE direct = p->io().CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_FLAG_NO_BUFFERING);
    if (direct == INVALID_HANDLE_VALUE) {
        EXPECT_EQ(p->GetLastError(), ERROR_INVALID_PARAMETER);
        EXPECT_FALSE(std::filesystem::exists(ram + "/direct.tmp"));
    } else {
        p->io().CloseHandle(direct);
        EXPECT_TRUE(p->io().DeleteFileA(file.c_str()));
    }

    // A substitute for a folder of the ext4 volume answers with that volume's figures.
    std::string ext4 = s_mounts->mountPointOf("ext4");
    std::filesystem::create_directories(ext4 + "/shared");
    char extLetter = letterOf(ext4);
    ASSERT_NE(extLetter, 0);
    std::string target = std::string(1, extLetter) + ":\\shared";
    char substLetter = 0;
    for (char l = 'Z'; l > 'D' && !substLetter; --l)
        if (!(p->drives().GetLogicalDrives() & (1u << (l - 'A')))) substLetter = l;
    std::string name = std::string(1, substLetter) + ":";
    ASSERT_TRUE(p->drives().DefineDosDeviceA(0, name.c_str(), target.c_str()));
    EXPECT_EQ(p->drives().GetDriveTypeA((name + "\\").c_str()), DRIVE_FIXED);
    ASSERT_TRUE(p->drives().GetDiskFreeSpaceExA((name + "\\").c_str(), &available, &total, nullptr));
    EXPECT_EQ(total, dfOf(ext4).size);
    char fsName[21];
    ASSERT_TRUE(p->drives().GetVolumeInformationA((name + "\\").c_str(), nullptr, 0, nullptr, nullptr, nullptr, fsName, 21));
    EXPECT_STREQ(fsName, "ext4");
    EXPECT_EQ(p->io().CreateFileA(("\\\\.\\" + name).c_str(), 0, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(p->drives().DefineDosDeviceA(DDD_REMOVE_DEFINITION, name.c_str(), target.c_str()));
}

void RealKernel::sshfsMountThatStopsAnsweringIsUnavailable() {
    if (!s_noSshfs.empty()) {
        std::printf("sshfs part skipped: %s\n", s_noSshfs.c_str());
        return;
    }
    std::string point = s_mounts->mountPointOf("sshfs");
    char letter = letterOf(point);
    ASSERT_NE(letter, 0);
    std::string name = std::string(1, letter) + ":";
    EXPECT_EQ(p->drives().GetDriveTypeA((name + "\\").c_str()), DRIVE_REMOTE);
    char remote[260];
    DWORD length = sizeof remote;
    ASSERT_EQ(p->network().WNetGetConnectionA(name.c_str(), remote, &length), NO_ERROR);
    EXPECT_EQ(std::string(remote), "\\\\127.0.0.1" + [&] {
        std::string path = s_mounts->base() + "/exported";
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }());
    ULONGLONG available = 0, total = 0;
    EXPECT_TRUE(p->drives().GetDiskFreeSpaceExA((name + "\\").c_str(), &available, &total, nullptr));

    // The daemon stops: its mount hangs. The answer comes within the deadline, and the next
    // questions about the same mount get the verdict at once.
    ASSERT_EQ(::kill(s_mounts->sshfsPid(), SIGSTOP), 0);
    LinuxOptions quick = options();
    quick.networkTimeoutMs = 500;
    auto fresh = makeLinuxPlatform(quick);
    auto started = std::chrono::steady_clock::now();
    length = sizeof remote;
    EXPECT_EQ(fresh->network().WNetGetConnectionA(name.c_str(), remote, &length), ERROR_CONNECTION_UNAVAIL);
    auto first = std::chrono::steady_clock::now();
    EXPECT_FALSE(fresh->drives().GetDiskFreeSpaceExA((name + "\\").c_str(), &available, &total, nullptr));
    EXPECT_FALSE(fresh->drives().GetVolumeInformationA((name + "\\").c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
    auto rest = std::chrono::steady_clock::now();
    std::printf("dead sshfs: first answer after %lld ms, two more after %lld ms\n",
                (long long)std::chrono::duration_cast<std::chrono::milliseconds>(first - started).count(),
                (long long)std::chrono::duration_cast<std::chrono::milliseconds>(rest - first).count());
    EXPECT_EQ(fresh->drives().GetDriveTypeA((name + "\\").c_str()), DRIVE_REMOTE);

    // Killed: the kernel answers at once that the endpoint is gone.
    ::kill(s_mounts->sshfsPid(), SIGKILL);
    auto killed = makeLinuxPlatform(quick);
    length = sizeof remote;
    EXPECT_EQ(killed->network().WNetGetConnectionA(name.c_str(), remote, &length), ERROR_CONNECTION_UNAVAIL);
}

// One test, so that the images are made once per run and two runs never compete for the
// machine's few loop devices.
TEST_F(RealKernel, VolumesOfTheRealKernel) {
    {
        SCOPED_TRACE("loop volumes");
        loopVolumesMatchDfAndBlkid();
    }
    {
        SCOPED_TRACE("exclusive open");
        exclusiveOpensOfAMountedVolume();
    }
    {
        SCOPED_TRACE("RAM disk and substitute");
        ramDiskAndSubstituteLetter();
    }
    {
        SCOPED_TRACE("sshfs");
        sshfsMountThatStopsAnsweringIsUnavailable();
    }
}

}  // namespace
}  // namespace zv::lnx::roottest
