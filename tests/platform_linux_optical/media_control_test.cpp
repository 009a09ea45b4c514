// Eject, load, door lock and the door commands on the real machine's ioctls, replayed
// through the seam on a recorded system tree (mount table, device nodes).
#include "fake_seam.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/optical_media.h"
#include "platform/linux/optical_rights.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/cdrom.h>
#include <linux/fs.h>
#include <unistd.h>

namespace zv::lnx {
namespace {

using namespace zv::lnx::testing;
namespace fs = std::filesystem;

// A recorded tree: /proc/self/mountinfo with the given lines, /dev/sr0 and /dev/sr1.
class RecordedTree {
public:
    explicit RecordedTree(const std::string& mountinfo) {
        char pattern[] = "/tmp/zv-optical-XXXXXX";
        m_root = ::mkdtemp(pattern);
        fs::create_directories(m_root + "/proc/self");
        fs::create_directories(m_root + "/dev");
        std::ofstream(m_root + "/proc/self/mountinfo") << mountinfo;
        std::ofstream(m_root + "/dev/sr1") << "";
        std::ofstream(m_root + "/dev/sr0") << "";
        std::ofstream(m_root + "/dev/sda") << "";
    }
    ~RecordedTree() { fs::remove_all(m_root); }
    const std::string& root() const { return m_root; }

private:
    std::string m_root;
};

const char* const kMounts =
    "22 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
    "40 22 11:0 / /media/user/MYDISC ro,nosuid - udf /dev/sr0 ro\n"
    "41 22 8:17 / /media/user/STICK rw,nosuid - vfat /dev/sdb1 rw\n"
    "42 41 8:18 / /media/user/STICK/inner rw,nosuid - ext4 /dev/sdb2 rw\n"
    "43 22 8:33 / /media/user/OTHER rw,nosuid - vfat /dev/sdc1 rw\n";

struct Backend {
    RecordedTree tree;
    FakeSeam seam;
    LinuxContext ctx;
    std::vector<std::string> unmounted;
    UnmountOutcome unmountAnswer;
    UnmountRunner saved;

    explicit Backend(const std::string& mounts = kMounts) : tree(mounts), ctx(options(tree, seam)) {
        saved = unmountRunner();
        unmountRunner() = [this](const std::string& point) {
            unmounted.push_back(point);
            return unmountAnswer;
        };
    }
    ~Backend() { unmountRunner() = saved; }

    static LinuxOptions options(RecordedTree& tree, FakeSeam& seam) {
        LinuxOptions result;
        result.sysRoot = tree.root();
        result.seam = &seam;
        return result;
    }

    HandleEntry handle(const std::string& node, const std::string& disk, UINT type) {
        HandleEntry entry;
        entry.kind = HandleKind::Device;
        entry.fd = 9;
        entry.node = node;
        DriveTarget target;
        target.driveType = type;
        target.devNode = node;
        target.diskNode = disk;
        entry.target = target;
        return entry;
    }

    BOOL control(HandleEntry& entry, DWORD code, uint8_t lock = 0) {
        BOOL result = FALSE;
        DWORD returned = 0;
        const bool served = mediaDeviceControl(ctx, entry, code, code == IOCTL_STORAGE_MEDIA_REMOVAL ? &lock : nullptr,
                                               code == IOCTL_STORAGE_MEDIA_REMOVAL ? 1 : 0, nullptr, 0, &returned, &result);
        EXPECT_TRUE(served);
        return result;
    }
};

TEST(OpticalMedia, EjectUnmountsThenUnlocksAndOpens) {
    Backend b;
    HandleEntry sr0 = b.handle("/dev/sr0", "/dev/sr0", DRIVE_CDROM);
    EXPECT_TRUE(b.control(sr0, IOCTL_STORAGE_EJECT_MEDIA));
    EXPECT_EQ(b.unmounted, std::vector<std::string>{"/media/user/MYDISC"});
    ASSERT_EQ(b.seam.ioctls.size(), 2u);
    EXPECT_EQ(b.seam.ioctls[0], std::make_pair((unsigned long)CDROM_LOCKDOOR, uintptr_t(0)));
    EXPECT_EQ(b.seam.ioctls[1].first, (unsigned long)CDROMEJECT);
    EXPECT_TRUE(b.seam.sent.empty());
}

TEST(OpticalMedia, LoadAndLock) {
    Backend b;
    HandleEntry sr0 = b.handle("/dev/sr0", "/dev/sr0", DRIVE_CDROM);
    EXPECT_TRUE(b.control(sr0, IOCTL_STORAGE_LOAD_MEDIA));
    EXPECT_TRUE(b.control(sr0, IOCTL_STORAGE_MEDIA_REMOVAL, 1));
    EXPECT_TRUE(b.control(sr0, IOCTL_STORAGE_MEDIA_REMOVAL, 0));
    ASSERT_EQ(b.seam.ioctls.size(), 3u);
    EXPECT_EQ(b.seam.ioctls[0].first, (unsigned long)CDROMCLOSETRAY);
    EXPECT_EQ(b.seam.ioctls[1], std::make_pair((unsigned long)CDROM_LOCKDOOR, uintptr_t(1)));
    EXPECT_EQ(b.seam.ioctls[2], std::make_pair((unsigned long)CDROM_LOCKDOOR, uintptr_t(0)));
    EXPECT_TRUE(b.unmounted.empty()) << "only an eject unmounts";
}

// A door locked through this program keeps the disc in: the eject is refused (170, as for
// a drive whose medium removal is prevented) without unmounting or lifting the lock. A lock
// udev set (no record here) is lifted as before; unlocking ends the refusal.
TEST(OpticalMedia, EjectRefusedWhileTheUserLockedTheDoor) {
    Backend b;
    const std::string runtime = b.tree.root() + "/run/user/1000/zorvane";
    LinuxOptions options = Backend::options(b.tree, b.seam);
    options.runtimeDir = runtime;
    LinuxContext ctx(options);
    HandleEntry sr0 = b.handle("/dev/sr0", "/dev/sr0", DRIVE_CDROM);
    auto control = [&](DWORD code, uint8_t lock = 0) {
        BOOL result = FALSE;
        DWORD returned = 0;
        mediaDeviceControl(ctx, sr0, code, code == IOCTL_STORAGE_MEDIA_REMOVAL ? &lock : nullptr,
                           code == IOCTL_STORAGE_MEDIA_REMOVAL ? 1 : 0, nullptr, 0, &returned, &result);
        return result;
    };

    ASSERT_TRUE(control(IOCTL_STORAGE_MEDIA_REMOVAL, 1));
    EXPECT_FALSE(control(IOCTL_STORAGE_EJECT_MEDIA));
    EXPECT_EQ(ctx.lastError(), DWORD(ERROR_BUSY));
    EXPECT_TRUE(b.unmounted.empty()) << "the locked disc stays mounted";
    ASSERT_EQ(b.seam.ioctls.size(), 1u) << "neither unlocked nor ejected";

    HandleEntry sr1 = b.handle("/dev/sr1", "/dev/sr1", DRIVE_CDROM);
    BOOL other = FALSE;
    DWORD returned = 0;
    mediaDeviceControl(ctx, sr1, IOCTL_STORAGE_EJECT_MEDIA, nullptr, 0, nullptr, 0, &returned, &other);
    EXPECT_TRUE(other) << "another drive's eject is not held by this lock";

    ASSERT_TRUE(control(IOCTL_STORAGE_MEDIA_REMOVAL, 0));
    EXPECT_TRUE(control(IOCTL_STORAGE_EJECT_MEDIA));
    EXPECT_EQ(b.seam.ioctls.back().first, (unsigned long)CDROMEJECT);

    // The lock refused by the drive is not remembered.
    b.seam.ioctlError = EIO;
    EXPECT_FALSE(control(IOCTL_STORAGE_MEDIA_REMOVAL, 1));
    b.seam.ioctlError = 0;
    EXPECT_TRUE(control(IOCTL_STORAGE_EJECT_MEDIA));
}

TEST(OpticalMedia, RefusalsBecomeErrors) {
    Backend b;
    HandleEntry sr0 = b.handle("/dev/sr0", "/dev/sr0", DRIVE_CDROM);
    b.seam.ioctlError = EBUSY;
    EXPECT_FALSE(b.control(sr0, IOCTL_STORAGE_EJECT_MEDIA));
    EXPECT_EQ(b.ctx.lastError(), ERROR_BUSY);
    b.seam.ioctlError = ENOSYS;
    EXPECT_FALSE(b.control(sr0, IOCTL_STORAGE_LOAD_MEDIA)) << "a slot-in drive cannot close";
    EXPECT_EQ(b.ctx.lastError(), ERROR_INVALID_FUNCTION);
    sr0.fd = -1;
    EXPECT_FALSE(b.control(sr0, IOCTL_STORAGE_MEDIA_REMOVAL, 1));
    EXPECT_EQ(b.ctx.lastError(), ERROR_ACCESS_DENIED);
    // A busy file system stops the eject before the drive is touched.
    sr0.fd = 9;
    b.seam.ioctlError = 0;
    b.seam.ioctls.clear();
    b.unmountAnswer = {false, ERROR_BUSY, "umount: /media/user/MYDISC: target is busy."};
    EXPECT_FALSE(b.control(sr0, IOCTL_STORAGE_EJECT_MEDIA));
    EXPECT_EQ(b.ctx.lastError(), ERROR_BUSY);
    EXPECT_TRUE(b.seam.ioctls.empty());
}

TEST(OpticalMedia, OtherCodesAreNotServed) {
    Backend b;
    HandleEntry sr0 = b.handle("/dev/sr0", "/dev/sr0", DRIVE_CDROM);
    BOOL result = TRUE;
    EXPECT_FALSE(mediaDeviceControl(b.ctx, sr0, IOCTL_STORAGE_QUERY_PROPERTY, nullptr, 0, nullptr, 0, nullptr, &result));
}

TEST(RemovableDisk, EjectLikeUtilLinux) {
    Backend b;
    HandleEntry stick = b.handle("/dev/sdb1", "/dev/sdb", DRIVE_REMOVABLE);
    EXPECT_TRUE(b.control(stick, IOCTL_STORAGE_EJECT_MEDIA));
    EXPECT_EQ(b.unmounted, (std::vector<std::string>{"/media/user/STICK/inner", "/media/user/STICK"}));
    ASSERT_EQ(b.seam.sent.size(), 3u);
    EXPECT_EQ(b.seam.sent[0].cdb, (std::vector<uint8_t>{0x1E, 0, 0, 0, 0x00, 0}));
    EXPECT_EQ(b.seam.sent[1].cdb, (std::vector<uint8_t>{0x1B, 0, 0, 0, 0x01, 0}));
    EXPECT_EQ(b.seam.sent[2].cdb, (std::vector<uint8_t>{0x1B, 0, 0, 0, 0x02, 0}));
    for (const SgSent& sent : b.seam.sent) {
        EXPECT_EQ(sent.direction, SG_DXFER_NONE);
        EXPECT_EQ(sent.timeout, 10000u);
    }
    ASSERT_FALSE(b.seam.opened.empty());
    EXPECT_EQ(b.seam.opened[0].first, b.tree.root() + "/dev/sdb") << "the whole disk, not the partition";
    EXPECT_EQ(b.seam.ioctls.back().first, (unsigned long)BLKRRPART);
    EXPECT_EQ(b.seam.opened.size(), b.seam.closed.size());
}

TEST(RemovableDisk, EjectFailures) {
    {
        Backend b;
        HandleEntry stick = b.handle("/dev/sdb1", "/dev/sdb", DRIVE_REMOVABLE);
        b.unmountAnswer = {false, ERROR_BUSY, "umount: /media/user/STICK/inner: target is busy."};
        EXPECT_FALSE(b.control(stick, IOCTL_STORAGE_EJECT_MEDIA));
        EXPECT_EQ(b.ctx.lastError(), ERROR_BUSY);
        EXPECT_EQ(b.unmounted.size(), 1u) << "stops at the first failure";
        EXPECT_TRUE(b.seam.sent.empty());
    }
    {
        // A reader without a card answers the start with MEDIUM NOT PRESENT and still ejects;
        // a drive that refuses the eject itself reports it.
        Backend b;
        HandleEntry reader = b.handle("/dev/sdc1", "/dev/sdc", DRIVE_REMOVABLE);
        const std::vector<uint8_t> noMedium = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0, 0, 0, 0, 0};
        const std::vector<uint8_t> illegal = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x24, 0, 0, 0, 0, 0};
        b.seam.replies = {SgReply{}, SgReply{0, 2, 0, 8, 0, noMedium, {}}, SgReply{}};
        EXPECT_TRUE(b.control(reader, IOCTL_STORAGE_EJECT_MEDIA));
        b.seam.replies = {SgReply{}, SgReply{}, SgReply{0, 2, 0, 8, 0, illegal, {}}};
        EXPECT_FALSE(b.control(reader, IOCTL_STORAGE_EJECT_MEDIA));
        EXPECT_EQ(b.ctx.lastError(), ERROR_INVALID_FUNCTION);
        b.seam.openError = EACCES;
        EXPECT_FALSE(b.control(reader, IOCTL_STORAGE_EJECT_MEDIA));
        EXPECT_EQ(b.ctx.lastError(), ERROR_ACCESS_DENIED);
    }
}

TEST(RemovableDisk, LockAndLoadThroughScsi) {
    Backend b;
    HandleEntry stick = b.handle("/dev/sdb1", "/dev/sdb", DRIVE_REMOVABLE);
    EXPECT_TRUE(b.control(stick, IOCTL_STORAGE_MEDIA_REMOVAL, 1));
    EXPECT_TRUE(b.control(stick, IOCTL_STORAGE_LOAD_MEDIA));
    ASSERT_EQ(b.seam.sent.size(), 2u);
    EXPECT_EQ(b.seam.sent[0].cdb, (std::vector<uint8_t>{0x1E, 0, 0, 0, 0x01, 0}));
    EXPECT_EQ(b.seam.sent[1].cdb, (std::vector<uint8_t>{0x1B, 0, 0, 0, 0x03, 0}));
}

TEST(MountPoints, PartitionsOfADisk) {
    std::vector<MountEntry> mounts(5);
    const char* sources[] = {"/dev/sdb", "/dev/sdb1", "/dev/sdb12", "/dev/sdbb1", "/dev/sda1"};
    for (size_t i = 0; i < 5; ++i) {
        mounts[i].source = sources[i];
        mounts[i].target = "/m" + std::to_string(i);
    }
    EXPECT_EQ(mountPointsOnDisk(mounts, "/dev/sdb"), (std::vector<std::string>{"/m0", "/m1", "/m2"}));
    mounts[0].source = "/dev/mmcblk0p1";
    mounts[1].source = "/dev/mmcblk01";
    EXPECT_EQ(mountPointsOnDisk(mounts, "/dev/mmcblk0"), std::vector<std::string>{"/m0"});
    EXPECT_TRUE(mountPointsOnDisk(mounts, "").empty());
}

TEST(DoorCommands, DefaultCdIsTheFirstOpticalDrive) {
    Backend b;
    EXPECT_EQ(defaultOpticalNode(b.ctx), "/dev/sr0");
    EXPECT_EQ(linuxMciSendString(b.ctx, "Set cdaudio door open wait", nullptr, 0), 0u);
    ASSERT_EQ(b.seam.opened.size(), 1u);
    EXPECT_EQ(b.seam.opened[0].first, b.tree.root() + "/dev/sr0");
    EXPECT_EQ(b.seam.opened[0].second & O_NONBLOCK, O_NONBLOCK) << "the open must not wait for a medium";
    EXPECT_EQ(b.seam.ioctls.back().first, (unsigned long)CDROMEJECT);
    EXPECT_EQ(linuxMciSendString(b.ctx, "set CDAudio door closed", nullptr, 0), 0u);
    EXPECT_EQ(b.seam.ioctls.back().first, (unsigned long)CDROMCLOSETRAY);
    EXPECT_EQ(b.seam.opened.size(), b.seam.closed.size());
    EXPECT_EQ(linuxMciSendString(b.ctx, "play cdaudio", nullptr, 0), MCIERR_UNRECOGNIZED_COMMAND);
    b.seam.ioctlError = ENOSYS;
    EXPECT_EQ(linuxMciSendString(b.ctx, "set cdaudio door closed wait", nullptr, 0), MCIERR_UNSUPPORTED_FUNCTION);

    std::ofstream(b.tree.root() + "/dev/cdrom") << "";
    EXPECT_EQ(defaultOpticalNode(b.ctx), "/dev/cdrom");
}

TEST(DoorCommands, UnknownDeviceIdsAreRefused) {
    Backend b;
    EXPECT_EQ(linuxMciSendCommand(b.ctx, 77, MCI_SET, MCI_SET_DOOR_OPEN, nullptr), MCIERR_INVALID_DEVICE_ID);
    MCI_OPEN_PARMSA open;
    open.lpstrDeviceType = "waveaudio";
    EXPECT_EQ(linuxMciSendCommand(b.ctx, 0, MCI_OPEN, MCI_OPEN_TYPE, &open), MCIERR_INVALID_DEVICE_NAME);
    open.lpstrDeviceType = "CDAudio";
    ASSERT_EQ(linuxMciSendCommand(b.ctx, 0, MCI_OPEN, MCI_OPEN_TYPE, &open), 0u) << "no element: the default drive";
    EXPECT_EQ(linuxMciSendCommand(b.ctx, open.wDeviceID, MCI_SET, MCI_SET_DOOR_OPEN, nullptr), 0u);
    EXPECT_EQ(b.seam.ioctls.back().first, (unsigned long)CDROMEJECT);
    EXPECT_EQ(linuxMciSendCommand(b.ctx, open.wDeviceID, MCI_CLOSE, 0, nullptr), 0u);
    EXPECT_EQ(linuxMciSendCommand(b.ctx, open.wDeviceID, MCI_CLOSE, 0, nullptr), MCIERR_INVALID_DEVICE_ID);
}

TEST(OpticalRights, RootOrReadWriteAccess) {
    const std::vector<std::string> nodes = {"/dev/sr0", "/dev/sr1"};
    EXPECT_TRUE(opticalRightsFor(true, nodes, [](const std::string&) { return false; }));
    EXPECT_TRUE(opticalRightsFor(false, nodes, [](const std::string& node) { return node == "/dev/sr1"; }));
    EXPECT_FALSE(opticalRightsFor(false, nodes, [](const std::string&) { return false; }));
    EXPECT_FALSE(opticalRightsFor(false, {}, [](const std::string&) { return true; }));
    RecordedTree tree("");
    EXPECT_EQ(opticalNodes(tree.root() + "/dev"),
              (std::vector<std::string>{tree.root() + "/dev/sr0", tree.root() + "/dev/sr1"}));
}

}  // namespace
}  // namespace zv::lnx
