// btrfs damaged in its metadata on a loop image, as root: the file's inode item gets a wrong
// byte count (nbytes), its tree block a valid checksum, so btrfs check reports "nbytes wrong"
// and --repair resets it. Unmounted: the check finds problems, fixing corrects them, the next
// check is clean. Skipped with the reason when not root or without btrfs-progs.
#include "check_session_support.h"
#include "platform/linux/checker_session.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace zv::lnx {
namespace {

namespace fs = std::filesystem;
using namespace zv::win;

using test::collect;
using test::Delivered;
using test::g_delivered;
using test::runOk;

uint32_t crc32c(const uint8_t* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0x82F63B78u : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

template <typename T>
T at(const std::vector<uint8_t>& bytes, size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);  // btrfs is little-endian, as this machine
    return value;
}

// Sets nbytes of inode `inode`'s item in every valid leaf of the file-system tree (a single
// metadata copy: mkfs.btrfs -m single) and seals each leaf with its new checksum. Leaf
// layout (btrfs on-disk format): checksum at 0, fsid at 32, owner at 88, item count at 96,
// level at 100, items of 25 bytes from 101 (key: objectid u64, type u8, offset u64; then
// data offset u32 from byte 101, size u32); an inode item holds nbytes at 24.
int setInodeBytes(const std::string& image, uint64_t inode, uint64_t nbytes) {
    std::fstream file(image, std::ios::in | std::ios::out | std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const size_t superblock = 65536;
    if (bytes.size() < superblock + 4096) return 0;
    const uint32_t nodeSize = at<uint32_t>(bytes, superblock + 148);
    int changed = 0;
    for (size_t block = 0; nodeSize >= 4096 && block + nodeSize <= bytes.size(); block += 4096) {
        uint8_t* node = bytes.data() + block;
        if (std::memcmp(node + 32, bytes.data() + superblock + 32, 16) != 0 || node[100] != 0) continue;
        if (at<uint64_t>(bytes, block + 88) != 5 || at<uint32_t>(bytes, block) != crc32c(node + 32, nodeSize - 32)) continue;
        const uint32_t items = at<uint32_t>(bytes, block + 96);
        for (uint32_t i = 0; i < items && 101 + 25 * (i + 1) <= nodeSize; ++i) {
            const size_t item = block + 101 + 25 * i;
            if (at<uint64_t>(bytes, item) != inode || bytes[item + 8] != 1) continue;
            const size_t field = block + 101 + at<uint32_t>(bytes, item + 17) + 24;
            if (field + 8 > block + nodeSize) continue;
            std::memcpy(node + (field - block), &nbytes, 8);
            const uint32_t sum = crc32c(node + 32, nodeSize - 32);
            std::memcpy(node, &sum, 4);
            file.seekp(std::streamoff(block));
            file.write(reinterpret_cast<const char*>(node), nodeSize);
            ++changed;
        }
    }
    return changed;
}

class BtrfsRepair : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "real checks need root (loop devices, mounts)";
        if (!runOk("command -v losetup && command -v mkfs.btrfs && command -v btrfs"))
            GTEST_SKIP() << "losetup, mkfs.btrfs or btrfs is missing";
        m_dir = fs::temp_directory_path() / ("zv-btrfs-repair-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "mnt");
        m_image = (m_dir / "volume.img").string();
        std::string output;
        ASSERT_TRUE(runOk("truncate -s 128M " + m_image + " && mkfs.btrfs -q -f -m single " + m_image, &output)) << output;
        if (!runOk("losetup -f --show " + m_image, &output) || output.empty()) GTEST_SKIP() << "no loop device: " << output;
        m_loop = output.substr(0, output.find('\n'));
        const std::string mnt = (m_dir / "mnt").string();
        ASSERT_TRUE(runOk("mount " + m_loop + " " + mnt + " && head -c 8192 /dev/urandom > " + mnt +
                          "/file && umount " + mnt, &output))
            << output;
    }
    void TearDown() override {
        if (!m_loop.empty()) runOk("losetup -d " + m_loop);
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }
    Delivered check(bool fix) {
        g_delivered = Delivered{};
        CheckerOptions options;
        options.fix = fix;
        runCheckSession(m_loop, "btrfs", options, &collect);
        return g_delivered;
    }

    fs::path m_dir;
    std::string m_image;
    std::string m_loop;
};

TEST_F(BtrfsRepair, DamagedMetadataIsFoundFixedAndThenClean) {
    const Delivered clean = check(false);
    EXPECT_TRUE(clean.doneCount == 1 && clean.success) << clean.last();

    // The first file of a new btrfs is inode 257; 8192 bytes become 123.
    ASSERT_GE(setInodeBytes(m_image, 257, 123), 1) << "no leaf of the file-system tree holds inode 257";
    runOk("blockdev --flushbufs " + m_loop);
    const Delivered damaged = check(false);
    EXPECT_EQ(damaged.doneCount, 0);
    EXPECT_NE(damaged.last().find("found problems"), std::string::npos) << damaged.last();
    EXPECT_TRUE(damaged.says("nbytes wrong")) << damaged.last();

    const Delivered fixed = check(true);
    EXPECT_TRUE(fixed.says("check --repair")) << fixed.last();
    EXPECT_TRUE(fixed.says("reset nbytes")) << fixed.last();
    EXPECT_FALSE(fixed.says("could not")) << fixed.last();

    const Delivered after = check(false);
    EXPECT_TRUE(after.doneCount == 1 && after.success) << after.last();
}

}  // namespace
}  // namespace zv::lnx
