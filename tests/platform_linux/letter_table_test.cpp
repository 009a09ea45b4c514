// The letter table on recorded machines: which volumes get letters, which letters, their
// types, and that letters stick to their volumes.
#include "fake_seam.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace zv::lnx::test {
namespace {

using namespace zv::win;

struct Row {
    UINT type = 0;
    std::string label, fsName;
    DWORD serial = 0;
    bool volumeInfo = false;
};

std::map<char, Row> survey(platform::Platform& p) {
    std::map<char, Row> rows;
    DWORD mask = p.drives().GetLogicalDrives();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (!(mask & (1u << (letter - 'A')))) continue;
        std::string root = std::string(1, letter) + ":\\";
        Row row;
        row.type = p.drives().GetDriveTypeA(root.c_str());
        char label[81], fs[21];
        row.volumeInfo = p.drives().GetVolumeInformationA(root.c_str(), label, 81, &row.serial, nullptr, nullptr, fs, 21);
        if (row.volumeInfo) {
            row.label = label;
            row.fsName = fs;
        }
        rows[letter] = row;
    }
    return rows;
}

std::string lettersOf(const std::map<char, Row>& rows) {
    std::string letters;
    for (const auto& [letter, row] : rows) letters.push_back(letter);
    return letters;
}

TEST(LetterTable, LaptopWithCardReaderAndStick) {
    RecordedTree tree("laptop");
    RefusingSeam seam;
    auto p = makeLinuxPlatform(treeOptions(tree, &seam));
    auto rows = survey(*p);
    // C system, D EFI, E Windows, F card reader, G stick, H sshfs, I RAM disk; the gvfs
    // FUSE mount, /run, /dev/shm and the read-only masking tmpfs get none.
    ASSERT_EQ(lettersOf(rows), "CDEFGHI");
    EXPECT_EQ(rows['C'].type, DRIVE_FIXED);
    EXPECT_EQ(rows['C'].fsName, "ext4");
    EXPECT_EQ(rows['C'].label, "system");
    EXPECT_EQ(rows['C'].serial, 0x3e2a6d1cu);
    EXPECT_EQ(rows['D'].fsName, "FAT32");
    EXPECT_EQ(rows['D'].serial, 0x1A2B3C4Du);
    EXPECT_EQ(rows['E'].fsName, "NTFS");  // mounted as fuseblk: the probed name counts
    EXPECT_EQ(rows['E'].label, "Windows 10");
    EXPECT_EQ(rows['E'].serial, 0x4A5B7272u);
    EXPECT_EQ(rows['F'].type, DRIVE_REMOVABLE);
    EXPECT_FALSE(rows['F'].volumeInfo);  // no card
    EXPECT_FALSE(p->drives().GetVolumeInformationA("F:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(p->GetLastError(), ERROR_NOT_READY);
    EXPECT_EQ(rows['G'].type, DRIVE_REMOVABLE);
    EXPECT_EQ(rows['G'].label, "MY STICK");
    EXPECT_EQ(rows['G'].serial, 0x5E3F1A90u);
    EXPECT_EQ(rows['H'].type, DRIVE_REMOTE);
    EXPECT_EQ(rows['H'].fsName, "sshfs");
    EXPECT_EQ(rows['I'].type, DRIVE_RAMDISK);
    EXPECT_EQ(rows['I'].fsName, "tmpfs");

    char dos[256];
    ASSERT_GT(p->drives().QueryDosDeviceA("G:", dos, sizeof dos), 0u);
    EXPECT_STREQ(dos, "/dev/sdc1");
    ASSERT_GT(p->drives().QueryDosDeviceA("F:", dos, sizeof dos), 0u);
    EXPECT_STREQ(dos, "/dev/sdb");

    char strings[128];
    DWORD n = p->drives().GetLogicalDriveStringsA(sizeof strings, strings);
    EXPECT_EQ(std::string(strings, n), std::string("C:\\\0D:\\\0E:\\\0F:\\\0G:\\\0H:\\\0I:\\\0", 28));
    EXPECT_EQ(p->drives().GetLogicalDriveStringsA(4, strings), 29u);  // the size needed
}

TEST(LetterTable, DesktopWithOpticalDriveDropsSecondMountsOfAVolume) {
    RecordedTree tree("desktop");
    RefusingSeam seam;
    auto p = makeLinuxPlatform(treeOptions(tree, &seam));
    auto rows = survey(*p);
    // /home once (not /srv/alice, a bind of a folder, nor /mnt/again); the tmpfs on /tmp,
    // the swap zram and the idle loop device get no letter.
    ASSERT_EQ(lettersOf(rows), "CDEF");
    EXPECT_EQ(rows['D'].fsName, "xfs");
    EXPECT_EQ(rows['D'].label, "home");
    EXPECT_EQ(rows['E'].type, DRIVE_CDROM);
    EXPECT_EQ(rows['E'].fsName, "CDFS");
    EXPECT_EQ(rows['E'].label, "HOLIDAY_PHOTOS");
    EXPECT_EQ(rows['E'].serial, 0x20230514u);
    EXPECT_EQ(rows['F'].type, DRIVE_RAMDISK);  // ext4 on zram
    EXPECT_EQ(rows['F'].label, "scratch");
    auto target = p->drives().GetDriveTypeA("D:\\");
    EXPECT_EQ(target, DRIVE_FIXED);
}

TEST(LetterTable, OpticalDriveKeepsItsLetterWithoutADisc) {
    RecordedTree tree("desktop");
    std::string mounts = tree.read("/proc/self/mountinfo");
    mounts.erase(mounts.find("40 26 11:0"), mounts.find("41 26 253:1") - mounts.find("40 26 11:0"));
    tree.write("/proc/self/mountinfo", mounts);
    RefusingSeam seam;
    auto p = makeLinuxPlatform(treeOptions(tree, &seam));
    auto rows = survey(*p);
    ASSERT_EQ(lettersOf(rows), "CDEF");
    EXPECT_EQ(rows['E'].type, DRIVE_CDROM);
    EXPECT_FALSE(rows['E'].volumeInfo);
    ULONGLONG free = 0, total = 0;
    EXPECT_FALSE(p->drives().GetDiskFreeSpaceExA("E:\\", &free, &total, nullptr));
    EXPECT_EQ(p->GetLastError(), ERROR_NOT_READY);
}

TEST(LetterTable, StickGetsItsLetterBackAcrossRunsAndReplugging) {
    RecordedTree tree("laptop");
    RefusingSeam seam;
    std::string full = tree.read("/proc/self/mountinfo");
    std::string stickLine = full.substr(full.find("45 28 8:33"));
    stickLine = stickLine.substr(0, stickLine.find('\n') + 1);
    {
        auto p = makeLinuxPlatform(treeOptions(tree, &seam));
        EXPECT_EQ(p->drives().GetDriveTypeA("G:\\"), DRIVE_REMOVABLE);
    }
    // Stick pulled (mount, disk and its udev record gone): the RAM disk and the sshfs mount
    // keep their letters; G: stays free.
    std::string without = full;
    without.erase(without.find(stickLine), stickLine.size());
    tree.write("/proc/self/mountinfo", without);
    std::filesystem::remove(tree.root() + "/sys/block/sdc");
    {
        auto p = makeLinuxPlatform(treeOptions(tree, &seam));
        auto rows = survey(*p);
        EXPECT_EQ(lettersOf(rows), "CDEFHI");
        EXPECT_EQ(rows['H'].type, DRIVE_REMOTE);
    }
    // Plugged again: G: again, in a new run.
    tree.write("/proc/self/mountinfo", full);
    std::filesystem::create_directory_symlink(
        "../devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host7/target7:0:0/7:0:0:0/block/sdc",
        tree.root() + "/sys/block/sdc");
    auto p = makeLinuxPlatform(treeOptions(tree, &seam));
    auto rows = survey(*p);
    EXPECT_EQ(lettersOf(rows), "CDEFGHI");
    EXPECT_EQ(rows['G'].label, "MY STICK");
}

TEST(LetterTable, NewVolumeTakesTheLowestFreeLetterAndTableFollowsMountChanges) {
    RecordedTree tree("server");
    RefusingSeam seam;
    auto p = makeLinuxPlatform(treeOptions(tree, &seam));
    DWORD before = p->drives().GetLogicalDrives();
    EXPECT_EQ(before, (1u << 2) | (1u << 3) | (1u << 4) | (1u << 5));  // C, D, E, F
    // A RAM disk appears in the same run: the table notices the changed mount table.
    tree.write("/proc/self/mountinfo",
               tree.read("/proc/self/mountinfo") + "60 28 0:60 / /srv/cache rw,relatime - tmpfs tmpfs rw,size=1024k\n");
    std::filesystem::create_directories(tree.root() + "/srv/cache");
    DWORD after = p->drives().GetLogicalDrives();
    // G: and H: are the remembered connections of fstab; the RAM disk comes after them.
    EXPECT_EQ(after, before | (1u << 8));
    EXPECT_EQ(p->drives().GetDriveTypeA("I:\\"), DRIVE_RAMDISK);
}

TEST(LetterTable, PhysicalDisksInNaturalOrderWithoutVirtualDevices) {
    RecordedTree tree("desktop");
    for (const char* name : {"sdaa", "sdb", "nvme10n1", "nvme2n1"})
        tree.write(std::string("/sys/block/") + name + "/dev", "8:99\n");
    LinuxContext ctx(treeOptions(tree, nullptr));
    // sr0, zram and loop devices are no physical drives.
    EXPECT_EQ(ctx.wholeDisks(), (std::vector<std::string>{"nvme2n1", "nvme10n1", "sda", "sdb", "sdaa"}));
}

}  // namespace
}  // namespace zv::lnx::test
