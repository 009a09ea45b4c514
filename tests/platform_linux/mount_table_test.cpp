// The mount table and fstab readers: escapes, optional fields, comments and short lines.
#include "platform/linux/mount_table.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zv::lnx {
namespace {

std::string writeTable(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path) << text;
    return path.string();
}

TEST(MountTable, FieldsAfterTheOptionalOnesAndEscapedBytes) {
    const std::string path = writeTable(
        "mountinfo",
        "36 35 98:0 /mnt1 /mnt/sp\\040ace\\011tab\\134bs#h rw,noatime master:1 shared:7 - ext3 /dev/my\\040root "
        "rw,errors=continue\n"
        "37 36 0:5 / /net ro - nfs4 server:/export rw\n"
        "not a mount line\n"
        "38 36 0:6 / /x rw - fuse.sshfs user@h:/p rw\n"
        "39 36 7:1 /sub /b rw shared:1 -\n"
        "40 36 259:3 / /tmp rw,nosuid - tmpfs tmpfs rw");
    const std::vector<MountEntry> mounts = readMountTable(path);
    ASSERT_EQ(mounts.size(), 4u);
    EXPECT_EQ(mounts[0].id, 36);
    EXPECT_EQ(mounts[0].parentId, 35);
    EXPECT_EQ(mounts[0].major, 98u);
    EXPECT_EQ(mounts[0].minor, 0u);
    EXPECT_EQ(mounts[0].root, "/mnt1");
    EXPECT_EQ(mounts[0].target, "/mnt/sp ace\ttab\\bs#h");
    EXPECT_EQ(mounts[0].source, "/dev/my root");
    EXPECT_EQ(mounts[0].fsType, "ext3");
    EXPECT_EQ(mounts[0].options, "rw,noatime");
    EXPECT_FALSE(mounts[0].readOnly);
    EXPECT_FALSE(mounts[0].netfs);
    EXPECT_TRUE(mounts[1].readOnly);
    EXPECT_TRUE(mounts[1].netfs);
    EXPECT_TRUE(mounts[2].netfs);
    EXPECT_EQ(mounts[2].source, "user@h:/p");
    EXPECT_EQ(mounts[3].major, 259u);  // the last line has no line break
    EXPECT_TRUE(mounts[3].pseudo);
}

TEST(MountTable, FstabSkipsCommentsAndKnowsNetworkDevices) {
    const std::string path = writeTable("fstab",
                                        "# comment\n"
                                        "   \n"
                                        "UUID=abc / ext4 defaults 0 1\n"
                                        "//srv/share /mnt/s\\040x cifs _netdev,ro 0 0\n"
                                        "srv:/e /mnt/e nfs\n"
                                        "#x y z\n"
                                        "\tLABEL=a\t/a\txfs\tnoauto\n"
                                        "short line\n");
    const std::vector<MountEntry> entries = readFstab(path);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].source, "UUID=abc");
    EXPECT_FALSE(entries[0].netdev);
    EXPECT_EQ(entries[1].target, "/mnt/s x");
    EXPECT_TRUE(entries[1].netfs);
    EXPECT_TRUE(entries[1].netdev);
    EXPECT_TRUE(entries[1].readOnly);
    EXPECT_TRUE(entries[2].netfs);
    EXPECT_EQ(entries[2].options, "");
    EXPECT_EQ(entries[3].target, "/a");
    EXPECT_TRUE(readFstab("/nonexistent/fstab").empty());
}

}  // namespace
}  // namespace zv::lnx
