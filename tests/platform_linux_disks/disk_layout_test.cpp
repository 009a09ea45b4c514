// Device numbers and layouts of the Linux backend: from sysfs and the udev database on a
// recorded tree, and from libblkid on real partition tables written to image files.
#include "fake_disk_seam.h"

#include "diskinfo/drive_layout.h"
#include "platform/api/disk_requests.h"
#include "platform/linux/disk_layout.h"
#include "platform/linux/linux_parts.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace zv::lnx;
using namespace zv::win;
using zv::lnx::test::FakeDiskSeam;
using zv::lnx::test::RecordedTree;
namespace platform = zv::platform;
namespace diskinfo = zv::diskinfo;

namespace {

class DiskLayouts : public testing::Test {
protected:
    DiskLayouts() {
        tree.disk("sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0", "8:0");
        tree.disk("loop0", "virtual/block/loop0", "7:0");
        LinuxOptions options;
        options.sysRoot = tree.root();
        options.seam = &seam;
        ctx = std::make_unique<LinuxContext>(options);
    }

    HandleEntry letterOn(const std::string& disk, int partition) {
        HandleEntry h;
        h.kind = HandleKind::Device;
        DriveTarget t;
        t.letter = 'D';
        t.diskNode = "/dev/" + disk;
        t.devNode = partition ? t.diskNode + std::to_string(partition) : t.diskNode;
        t.partitionNumber = partition;
        h.target = t;
        h.node = t.devNode;
        return h;
    }
    HandleEntry physical(const std::string& disk, int number) {
        HandleEntry h;
        h.kind = HandleKind::PhysicalDisk;
        h.node = "/dev/" + disk;
        h.physicalDrive = number;
        return h;
    }

    BOOL control(HandleEntry& h, DWORD code, DWORD outSize = 8192) {
        out.assign(outSize, 0);
        returned = 0;
        BOOL result = FALSE;
        EXPECT_TRUE(diskDeviceControl(*ctx, h, code, nullptr, 0, out.data(), outSize, &returned, &result));
        return result;
    }
    diskinfo::DriveLayout decoded(bool extended) {
        diskinfo::DriveLayout layout;
        EXPECT_TRUE(extended ? diskinfo::DecodeDriveLayoutEx(out.data(), returned, layout)
                             : diskinfo::DecodeDriveLayout(out.data(), returned, layout));
        return layout;
    }

    void mbrOnSysfs() {
        tree.file("/run/udev/data/b8:0", "E:ID_PART_TABLE_TYPE=dos\nE:ID_PART_TABLE_UUID=12345678\n");
        tree.partition("sda", 1, "8:1", 2048, 20480,
                       "E:ID_PART_ENTRY_SCHEME=dos\nE:ID_PART_ENTRY_TYPE=0x7\nE:ID_PART_ENTRY_FLAGS=0x80\n");
        tree.partition("sda", 2, "8:2", 22528, 2, "E:ID_PART_ENTRY_SCHEME=dos\nE:ID_PART_ENTRY_TYPE=0x5\n");
        tree.partition("sda", 5, "8:5", 24576, 8192, "E:ID_PART_ENTRY_SCHEME=dos\nE:ID_PART_ENTRY_TYPE=0x83\n");
    }

    RecordedTree tree;
    FakeDiskSeam seam;
    std::unique_ptr<LinuxContext> ctx;
    std::vector<uint8_t> out;
    DWORD returned = 0;
};

bool writeTable(const std::string& image, const std::string& script) {
    const std::string command = "truncate -s 64M '" + image + "' && printf '" + script + "' | sfdisk -q '" + image +
                                "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

}  // namespace

TEST_F(DiskLayouts, DeviceNumberOfALetterNamesItsDiskAndPartition) {
    HandleEntry letter = letterOn("sda", 5);
    ASSERT_TRUE(control(letter, IOCTL_STORAGE_GET_DEVICE_NUMBER, 12));
    const auto n = platform::StorageDeviceNumber::decode(out.data());
    EXPECT_EQ(n.deviceType, FILE_DEVICE_DISK);
    EXPECT_EQ(n.deviceNumber, 0u);
    EXPECT_EQ(n.partitionNumber, 5u);

    HandleEntry loop = letterOn("loop0", 0);
    EXPECT_FALSE(control(loop, IOCTL_STORAGE_GET_DEVICE_NUMBER, 12)) << "a loop device is no physical disk";
    EXPECT_EQ(ctx->lastError(), ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(control(letter, IOCTL_STORAGE_GET_DEVICE_NUMBER, 11));
    EXPECT_EQ(ctx->lastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(DiskLayouts, MbrFromSysfsAndUdevWhenTheDiskCannotBeRead) {
    mbrOnSysfs();
    HandleEntry letter = letterOn("sda", 5);
    ASSERT_TRUE(control(letter, IOCTL_DISK_GET_DRIVE_LAYOUT));
    EXPECT_EQ(zv::codec::getLe32(out.data()), 8u) << "the primary table and one group for the logical partition";
    const auto layout = decoded(false);
    EXPECT_EQ(layout.signature, 0x12345678u);
    ASSERT_EQ(layout.entries.size(), 3u);
    EXPECT_EQ(layout.entries[0].PartitionNumber, 1u);
    EXPECT_TRUE(layout.entries[0].BootIndicator);
    EXPECT_EQ(layout.entries[0].typeName(), "IFS");
    EXPECT_EQ(layout.entries[0].StartingOffset, 2048 * 512);
    EXPECT_EQ(layout.entries[0].PartitionLength, 20480 * 512);
    EXPECT_EQ(layout.entries[0].HiddenSectors, 2048u);
    EXPECT_EQ(layout.entries[1].typeName(), "Extended");
    ASSERT_NE(layout.partition(5), nullptr);
    EXPECT_FALSE(layout.partition(5)->BootIndicator);
    EXPECT_EQ(layout.partition(5)->PartitionType, 0x83);

    EXPECT_FALSE(control(letter, IOCTL_DISK_GET_DRIVE_LAYOUT, 8 + 32 * 7));
    EXPECT_EQ(ctx->lastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(DiskLayouts, PartitionsWithoutUdevRecordsHaveNoKnownType) {
    tree.partition("sda", 1, "8:1", 2048, 4096, "");
    HandleEntry disk = physical("sda", 0);
    ASSERT_TRUE(control(disk, IOCTL_DISK_GET_DRIVE_LAYOUT));
    const auto layout = decoded(false);
    ASSERT_EQ(layout.entries.size(), 1u);
    EXPECT_EQ(layout.entries[0].typeName(), "Unknown partition type");
}

TEST_F(DiskLayouts, GptFromSysfsAnswersOnlyTheExtendedRequest) {
    tree.file("/run/udev/data/b8:0", "E:ID_PART_TABLE_TYPE=gpt\nE:ID_PART_TABLE_UUID=0d7c2f0e-1b2a-4c3d-9e8f-001122334455\n");
    tree.partition("sda", 1, "8:1", 2048, 4096,
                   "E:ID_PART_ENTRY_SCHEME=gpt\nE:ID_PART_ENTRY_TYPE=c12a7328-f81f-11d2-ba4b-00a0c93ec93b\n");
    tree.partition("sda", 2, "8:2", 6144, 8192,
                   "E:ID_PART_ENTRY_SCHEME=gpt\nE:ID_PART_ENTRY_TYPE=0fc63daf-8483-4772-8e79-3d69d8477de4\n"
                   "E:ID_PART_ENTRY_NAME=root\n");
    HandleEntry letter = letterOn("sda", 2);
    EXPECT_FALSE(control(letter, IOCTL_DISK_GET_DRIVE_LAYOUT));
    EXPECT_EQ(ctx->lastError(), ERROR_INVALID_FUNCTION);
    ASSERT_TRUE(control(letter, IOCTL_DISK_GET_DRIVE_LAYOUT_EX));
    const auto layout = decoded(true);
    EXPECT_EQ(layout.partitionStyle, platform::PARTITION_STYLE_GPT);
    ASSERT_EQ(layout.entries.size(), 2u);
    EXPECT_EQ(layout.entries[0].typeName(), "EFI System");
    EXPECT_EQ(layout.partition(2)->typeName(), "Linux filesystem");
    EXPECT_EQ(layout.partition(2)->gptName, "root");
    EXPECT_EQ(layout.partition(2)->StartingOffset, 6144 * 512);
}

// udev keeps a GPT name as UTF-8 (escaped in ID_PART_ENTRY_NAME_ENC); the layout answers it
// as UTF-16, a character beyond U+FFFF as a surrogate pair, so that it decodes to the same
// four-byte character and not to two three-byte halves. A name longer than the entry's 36
// units is cut there, never between the halves of a pair.
TEST_F(DiskLayouts, GptNamesBeyondTheBasicPlaneKeepTheirCharacters) {
    const std::string disk = "\\xf0\\x9f\\x92\\xbe";  // U+1F4BE, udev-escaped
    tree.file("/run/udev/data/b8:0", "E:ID_PART_TABLE_TYPE=gpt\n");
    tree.partition("sda", 1, "8:1", 2048, 4096,
                   "E:ID_PART_ENTRY_SCHEME=gpt\nE:ID_PART_ENTRY_TYPE=0fc63daf-8483-4772-8e79-3d69d8477de4\n"
                   "E:ID_PART_ENTRY_NAME_ENC=" + disk + "\\x20Daten\n");
    tree.partition("sda", 2, "8:2", 6144, 8192,
                   "E:ID_PART_ENTRY_SCHEME=gpt\nE:ID_PART_ENTRY_TYPE=0fc63daf-8483-4772-8e79-3d69d8477de4\n"
                   "E:ID_PART_ENTRY_NAME=" + std::string(35, 'x') + "\xF0\x9F\x92\xBE\n");
    HandleEntry letter = letterOn("sda", 1);
    ASSERT_TRUE(control(letter, IOCTL_DISK_GET_DRIVE_LAYOUT_EX));
    const auto layout = decoded(true);
    ASSERT_EQ(layout.entries.size(), 2u);
    EXPECT_EQ(layout.partition(1)->gptName, "\xF0\x9F\x92\xBE Daten");
    EXPECT_EQ(layout.partition(2)->gptName, std::string(35, 'x')) << "the pair that does not fit is left out whole";
}

TEST_F(DiskLayouts, LibblkidReadsTheTablesOfAReadableDisk) {
    const std::string mbr = tree.root() + "/mbr.img";
    const std::string gpt = tree.root() + "/gpt.img";
    if (!writeTable(mbr, "label: dos\\nlabel-id: 0x0badcafe\\nstart=2048, size=20480, type=7, bootable\\n"
                         "start=22528, size=40960, type=5\\nstart=24576, size=8192, type=b\\n") ||
        !writeTable(gpt, "label: gpt\\nstart=2048, size=4096, type=C12A7328-F81F-11D2-BA4B-00A0C93EC93B\\n"
                         "start=6144, size=8192, type=0FC63DAF-8483-4772-8E79-3D69D8477DE4, name=data\\n"))
        GTEST_SKIP() << "sfdisk cannot write partition tables to image files here";
    // Nothing in sysfs: every entry comes from reading the disk.
    seam.images[tree.root() + "/dev/sda"] = mbr;
    HandleEntry letter = letterOn("sda", 5);
    ASSERT_TRUE(control(letter, IOCTL_DISK_GET_DRIVE_LAYOUT));
    auto layout = decoded(false);
    EXPECT_EQ(layout.signature, 0x0BADCAFEu);
    ASSERT_EQ(layout.entries.size(), 3u);
    EXPECT_TRUE(layout.partition(1)->BootIndicator);
    EXPECT_EQ(layout.partition(1)->typeName(), "IFS");
    EXPECT_EQ(layout.partition(5)->typeName(), "FAT32");
    EXPECT_EQ(layout.partition(5)->StartingOffset, 24576 * 512);
    EXPECT_EQ(layout.entries[1].PartitionLength, 40960 * 512) << "the extended partition with its real size";

    seam.images[tree.root() + "/dev/sda"] = gpt;
    EXPECT_FALSE(control(letter, IOCTL_DISK_GET_DRIVE_LAYOUT));
    ASSERT_TRUE(control(letter, IOCTL_DISK_GET_DRIVE_LAYOUT_EX));
    layout = decoded(true);
    ASSERT_EQ(layout.entries.size(), 2u);
    EXPECT_EQ(layout.partition(1)->typeName(), "EFI System");
    EXPECT_EQ(layout.partition(2)->typeName(), "Linux filesystem");
    EXPECT_EQ(layout.partition(2)->gptName, "data");
}

// Both replies list the same partitions: a partition numbered from 5 that libblkid does not
// call logical (a table nested in a primary partition) was left out of the old reply.
TEST(DiskLayoutReplies, OldAndExtendedReplyListTheSamePartitions) {
    DiskLayout layout;
    layout.found = true;
    layout.signature = 0x1A2B3C4D;
    DiskPartition primary;
    primary.number = 1;
    primary.startSector = 2048;
    primary.sectors = 4096;
    primary.mbrType = 0xA5;
    DiskPartition logical = primary;
    logical.number = 5;
    logical.startSector = 8192;
    logical.mbrType = 0x83;
    logical.logical = true;
    DiskPartition nested = primary;
    nested.number = 6;
    nested.startSector = 2100;
    nested.sectors = 100;
    nested.mbrType = 0xA0;
    layout.partitions = {primary, logical, nested};

    const std::vector<uint8_t> oldReply = encodeOldLayout(layout);
    const std::vector<uint8_t> exReply = encodeLayoutEx(layout);
    diskinfo::DriveLayout old, extended;
    ASSERT_TRUE(diskinfo::DecodeDriveLayout(oldReply.data(), oldReply.size(), old));
    ASSERT_TRUE(diskinfo::DecodeDriveLayoutEx(exReply.data(), exReply.size(), extended));
    ASSERT_EQ(extended.entries.size(), 3u);
    ASSERT_EQ(old.entries.size(), 3u);
    for (uint32_t number : {1u, 5u, 6u}) {
        ASSERT_NE(old.partition(number), nullptr) << number;
        EXPECT_EQ(old.partition(number)->StartingOffset, extended.partition(number)->StartingOffset) << number;
        EXPECT_EQ(old.partition(number)->PartitionType, extended.partition(number)->PartitionType) << number;
    }
    EXPECT_EQ(old.partition(6)->HiddenSectors, 2100u);
}
