// Each file system with a checker on this machine, on a loop image as root: a clean volume
// finishes OK, a volume damaged on purpose gives "found problems" (and no done message),
// fixing it leaves a clean volume, and a read-write mounted volume gets the answer its
// checker allows. Skipped with the reason when not root, without loop devices or without
// the file system's tools.
#include "check_session_support.h"
#include "platform/linux/checker_session.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
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

// What a read-write mounted volume gets.
enum class MountedAnswer {
    CheckedWithWarning,  // the checker runs; a warning says the result may not hold
    RefusedWithAdvice,   // nothing runs; the log says how to check it
    Scrubbed,            // btrfs: a read-only scrub through the mount
};

struct FileSystemCase {
    const char* fsType;
    const char* tools;   // what must be installed
    const char* size;
    const char* mkfs;    // "IMG" is the image
    const char* damage;  // "DEV" is the loop device, "IMG" the image, "MNT" the mount point
    bool damageNeedsScan;  // the damage is in file data, found by the data scan only
    bool fixable;          // the checker's fixing mode corrects that damage
    MountedAnswer mounted;
};

std::string substituted(std::string text, const std::string& name, const std::string& value) {
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
        text.replace(at, name.size(), value);
    return text;
}

class FileSystemVerdicts : public ::testing::TestWithParam<FileSystemCase> {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "real checks need root (loop devices, mounts)";
        const FileSystemCase& c = GetParam();
        if (!runOk(std::string("for t in losetup ") + c.tools + "; do command -v $t || exit 1; done"))
            GTEST_SKIP() << "one of " << c.tools << " is missing";
        m_dir = fs::temp_directory_path() / ("zv-verdicts-" + std::string(c.fsType) + "-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "mnt");
        m_image = (m_dir / "volume.img").string();
        std::string output;
        ASSERT_TRUE(runOk("truncate -s " + std::string(c.size) + " " + m_image + " && " + expand(c.mkfs), &output))
            << output;
        if (!runOk("losetup -f --show " + m_image, &output) || output.empty()) GTEST_SKIP() << "no loop device: " << output;
        m_loop = output.substr(0, output.find('\n'));
        g_delivered = Delivered{};
    }
    void TearDown() override {
        unmount();
        if (!m_loop.empty()) runOk("losetup -d " + m_loop);
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }

    std::string expand(const std::string& text) const {
        return substituted(substituted(substituted(text, "IMG", m_image), "DEV", m_loop), "MNT", mountPoint());
    }
    std::string mountPoint() const { return (m_dir / "mnt").string(); }
    bool mount(const std::string& options) {
        m_mounted = runOk("mount -o " + options + " " + m_loop + " " + mountPoint());
        return m_mounted;
    }
    void unmount() {
        if (m_mounted) runOk("umount " + mountPoint());
        m_mounted = false;
    }
    Delivered check(bool fix, bool scan = false) {
        g_delivered = Delivered{};
        CheckerOptions options;
        options.fix = fix;
        options.scan = scan;
        runCheckSession(m_loop, GetParam().fsType, options, &collect);
        return g_delivered;
    }
    void damage() {
        std::string output;
        ASSERT_TRUE(runOk(expand(GetParam().damage), &output)) << output;
    }

    fs::path m_dir;
    std::string m_image;
    std::string m_loop;
    bool m_mounted = false;
};

TEST_P(FileSystemVerdicts, CleanDamagedFixedAndMounted) {
    const FileSystemCase& c = GetParam();
    const Delivered clean = check(false);
    EXPECT_TRUE(clean.clean()) << clean.last();
    EXPECT_TRUE(clean.says("no problems")) << clean.last();

    if (c.mounted == MountedAnswer::Scrubbed) {
        // btrfs data damage: written through a mount, corrupted in the image, found by
        // the scrub of the mounted volume and by the data scan of the unmounted one.
        ASSERT_TRUE(mount("rw"));
        ASSERT_TRUE(runOk("head -c 1048576 /dev/zero | tr '\\0' Z > " + mountPoint() + "/data"));
        const Delivered scrubbed = check(false);
        EXPECT_TRUE(scrubbed.says("read-only scrub")) << scrubbed.last();
        EXPECT_TRUE(scrubbed.clean()) << scrubbed.last();
        unmount();
        damage();
        const Delivered unmounted = check(false, c.damageNeedsScan);
        EXPECT_TRUE(unmounted.problemsFound()) << unmounted.last();
        ASSERT_TRUE(mount("ro"));
        const Delivered damagedScrub = check(false);
        EXPECT_TRUE(damagedScrub.problemsFound()) << damagedScrub.last();
        // Fixing a mounted volume is refused before anything runs.
        const Delivered fixMounted = check(true);
        EXPECT_EQ(fixMounted.doneCount, 1);
        EXPECT_TRUE(fixMounted.says("can be fixed only while it is not mounted")) << fixMounted.last();
        return;
    }

    damage();
    const Delivered damaged = check(false, c.damageNeedsScan);
    EXPECT_TRUE(damaged.problemsFound()) << damaged.last();
    if (c.fixable) {
        const Delivered fixed = check(true);
        EXPECT_FALSE(fixed.says("could not")) << fixed.last();
        const Delivered after = check(false);
        EXPECT_TRUE(after.clean()) << after.last();
    }

    if (!mount("rw")) {
        std::cout << "[ note     ] " << c.fsType << " cannot be mounted here; the mounted case is not tried\n";
        return;
    }
    const Delivered mounted = check(false);
    EXPECT_FALSE(mounted.says("found problems")) << mounted.last();
    EXPECT_EQ(mounted.doneCount, 1);
    if (c.mounted == MountedAnswer::RefusedWithAdvice) {
        EXPECT_FALSE(mounted.success);
        EXPECT_TRUE(mounted.says("mount -o remount,ro " + mountPoint())) << mounted.last();
        EXPECT_FALSE(mounted.says("Running ")) << "the checker ran although it refuses a read-write mount";
    } else {
        EXPECT_TRUE(mounted.says("mounted read-write on " + mountPoint())) << mounted.last();
    }
}

INSTANTIATE_TEST_SUITE_P(
    FileSystems, FileSystemVerdicts,
    ::testing::Values(
        FileSystemCase{"ext4", "mkfs.ext4 debugfs e2fsck", "32M", "mkfs.ext4 -q -F IMG",
                       "debugfs -w -R 'clri <2>' DEV", false, true, MountedAnswer::CheckedWithWarning},
        FileSystemCase{"xfs", "mkfs.xfs xfs_db xfs_repair", "300M", "mkfs.xfs -q -f IMG",
                       "xfs_db -x -c 'inode 128' -c 'write core.mode 0' DEV", false, true,
                       MountedAnswer::RefusedWithAdvice},
        FileSystemCase{"btrfs", "mkfs.btrfs btrfs", "128M", "mkfs.btrfs -q -f IMG",
                       // The first copy of the file's data, found by its bytes, gets other bytes.
                       "printf XXXXXXXX | dd of=DEV bs=1 conv=notrunc status=none "
                       "seek=$(grep -obUa -m1 ZZZZZZZZZZZZZZZZ DEV | head -n1 | cut -d: -f1)",
                       true, false, MountedAnswer::Scrubbed},
        FileSystemCase{"vfat", "mkfs.vfat fsck.fat od", "64M", "mkfs.vfat IMG >/dev/null",
                       // Bytes of the second FAT that differ from the first.
                       "R=$(od -An -tu2 -j14 -N2 DEV) && Z=$(od -An -tu2 -j22 -N2 DEV) && printf UUUUUUUU | "
                       "dd of=DEV bs=1 seek=$(( (R+Z)*512 + 8 )) conv=notrunc status=none",
                       false, true, MountedAnswer::CheckedWithWarning},
        FileSystemCase{"exfat", "mkfs.exfat fsck.exfat", "64M", "mkfs.exfat IMG >/dev/null",
                       // The boot region's checksum sector.
                       "dd if=/dev/zero of=DEV bs=512 seek=11 count=1 conv=notrunc status=none", false, true,
                       MountedAnswer::CheckedWithWarning},
        FileSystemCase{"ntfs", "mkfs.ntfs ntfsfix", "64M", "mkfs.ntfs -q -F IMG >/dev/null",
                       // The alternate boot sector, the last sector of the volume.
                       "dd if=/dev/zero of=DEV bs=512 seek=$(( $(blockdev --getsz DEV) - 1 )) count=1 "
                       "conv=notrunc status=none",
                       false, true, MountedAnswer::RefusedWithAdvice}),
    [](const ::testing::TestParamInfo<FileSystemCase>& info) { return std::string(info.param.fsType); });

}  // namespace
}  // namespace zv::lnx
