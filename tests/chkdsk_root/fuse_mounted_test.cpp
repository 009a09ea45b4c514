// FAT and exFAT mounted through FUSE (fusefat, exFAT's FUSE driver), on loop images as root:
// the daemon holds the device open but the mount table may not name the device, so check
// disk has to find the mount itself. Read-only mounted: clean finishes OK, damaged gives
// problems found. Read-write mounted: the checker runs with a warning, problems it reports
// cannot be trusted, and fixing is refused. Skipped with the reason when not root, without
// /dev/fuse or without the tools.
#include "check_session_support.h"
#include "platform/linux/checker_session.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/linux_platform.h"

#include <gtest/gtest.h>

#include <iostream>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
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

std::string substituted(std::string text, const std::string& name, const std::string& value) {
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
        text.replace(at, name.size(), value);
    return text;
}

struct FuseCase {
    const char* fsType;
    const char* tools;
    const char* mkfs;         // "IMG" is the image
    const char* damage;       // "DEV" is the loop device
    const char* mountReadOnly;   // "DEV" the device, "MNT" the mount point
    const char* mountReadWrite;
};

class FuseMounted : public ::testing::TestWithParam<FuseCase> {
protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "real checks need root (loop devices, mounts)";
        if (!fs::exists("/dev/fuse")) GTEST_SKIP() << "/dev/fuse is missing: FUSE mounts are not possible here";
        const FuseCase& c = GetParam();
        if (!runOk(std::string("for t in losetup fusermount ") + c.tools + "; do command -v $t || exit 1; done"))
            GTEST_SKIP() << "one of fusermount " << c.tools << " is missing";
        m_dir = fs::temp_directory_path() / ("zv-fuse-" + std::string(c.fsType) + "-" + std::to_string(::getpid()));
        fs::create_directories(m_dir / "mnt");
        m_image = (m_dir / "volume.img").string();
        std::string output;
        ASSERT_TRUE(runOk("truncate -s 64M " + m_image + " && " + substituted(c.mkfs, "IMG", m_image), &output)) << output;
        if (!runOk("losetup -f --show " + m_image, &output) || output.empty()) GTEST_SKIP() << "no loop device: " << output;
        m_loop = output.substr(0, output.find('\n'));
    }
    void TearDown() override {
        unmount();
        if (!m_loop.empty()) runOk("losetup -d " + m_loop);
        if (!m_dir.empty()) fs::remove_all(m_dir);
    }

    std::string mountPoint() const { return (m_dir / "mnt").string(); }
    std::string expand(const std::string& text) const {
        return substituted(substituted(text, "DEV", m_loop), "MNT", mountPoint());
    }
    bool mount(const char* command) {
        std::string output;
        m_mounted = runOk(expand(command), &output);
        if (!m_mounted) std::cout << "[ mount    ] " << expand(command) << ": " << output;
        return m_mounted;
    }
    // The daemon ends after the unmount; until then it still holds the device.
    void unmount() {
        if (!m_mounted) return;
        runOk("fusermount -u " + mountPoint());
        m_mounted = false;
        for (int i = 0; i < 50 && !runOk("! fuser -s " + m_loop); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Delivered check(bool fix) {
        g_delivered = Delivered{};
        CheckerOptions options;
        options.fix = fix;
        runCheckSession(m_loop, GetParam().fsType, options, &collect);
        return g_delivered;
    }

    fs::path m_dir;
    std::string m_image;
    std::string m_loop;
    bool m_mounted = false;
};

TEST_P(FuseMounted, ReadOnlyGivesTheVerdictReadWriteIsNotTrusted) {
    const FuseCase& c = GetParam();
    ASSERT_TRUE(mount(c.mountReadOnly));
    const Delivered cleanReadOnly = check(false);
    EXPECT_TRUE(cleanReadOnly.clean()) << cleanReadOnly.last();
    EXPECT_FALSE(cleanReadOnly.says("read-write")) << "a read-only mount was taken for a read-write one";
    unmount();

    ASSERT_TRUE(mount(c.mountReadWrite));
    const Delivered cleanReadWrite = check(false);
    EXPECT_TRUE(cleanReadWrite.clean()) << cleanReadWrite.last();
    EXPECT_TRUE(cleanReadWrite.says("mounted read-write on " + mountPoint())) << cleanReadWrite.last();
    unmount();

    std::string output;
    ASSERT_TRUE(runOk(expand(c.damage), &output)) << output;
    ASSERT_TRUE(mount(c.mountReadOnly));
    const Delivered damagedReadOnly = check(false);
    EXPECT_TRUE(damagedReadOnly.problemsFound()) << damagedReadOnly.last();
    const Delivered fixReadOnly = check(true);
    EXPECT_TRUE(fixReadOnly.says("can be fixed only while it is not mounted")) << fixReadOnly.last();
    EXPECT_FALSE(fixReadOnly.says("Running ")) << "a fix ran on a mounted volume";
    unmount();

    ASSERT_TRUE(mount(c.mountReadWrite));
    const Delivered damagedReadWrite = check(false);
    EXPECT_FALSE(damagedReadWrite.says("found problems")) << damagedReadWrite.last();
    EXPECT_TRUE(damagedReadWrite.says("cannot be trusted")) << damagedReadWrite.last();
    EXPECT_EQ(damagedReadWrite.doneCount, 1);
    EXPECT_FALSE(damagedReadWrite.success);
    const Delivered fixReadWrite = check(true);
    EXPECT_TRUE(fixReadWrite.says("can be fixed only while it is not mounted")) << fixReadWrite.last();
    EXPECT_FALSE(fixReadWrite.says("Running ")) << "a fix ran on a mounted volume";
}

// The letter table: the FUSE mount has the device's letter, and the device held by the
// daemon is no "Not mounted" volume beside it.
TEST_P(FuseMounted, TheMountHasTheDevicesLetter) {
    ASSERT_TRUE(mount(GetParam().mountReadWrite));
    LinuxOptions options = defaultLinuxOptions();
    options.configDir = (m_dir / "config").string();
    options.runtimeDir = (m_dir / "runtime").string();
    LinuxContext ctx(options);
    int mountRows = 0, deviceRows = 0;
    for (const DriveTarget& target : ctx.targets()) {
        if (target.mountPoint == mountPoint()) {
            ++mountRows;
            EXPECT_EQ(target.devNode, m_loop) << target.letter << ": the mount's device";
        }
        if (target.devNode == m_loop) ++deviceRows;
    }
    EXPECT_EQ(mountRows, 1);
    EXPECT_EQ(deviceRows, 1) << "the held device also shows as a volume that is not mounted";
}

INSTANTIATE_TEST_SUITE_P(
    FuseFileSystems, FuseMounted,
    ::testing::Values(
        FuseCase{"vfat", "fusefat mkfs.vfat fsck.fat od fuser", "mkfs.vfat IMG >/dev/null",
                 // Bytes of the second FAT that differ from the first.
                 "R=$(od -An -tu2 -j14 -N2 DEV) && Z=$(od -An -tu2 -j22 -N2 DEV) && printf UUUUUUUU | "
                 "dd of=DEV bs=1 seek=$(( (R+Z)*512 + 8 )) conv=notrunc status=none",
                 // A relative mount point, as a user types it: the daemon leaves its folder.
                 "cd MNT/.. && fusefat -o ro DEV mnt >/dev/null", "cd MNT/.. && fusefat -o rw+ DEV mnt >/dev/null"},
        FuseCase{"exfat", "mount.exfat-fuse mkfs.exfat fsck.exfat fuser", "mkfs.exfat IMG >/dev/null",
                 // The up-case table's checksum in its root directory entry (the third one
                 // mkfs.exfat writes): the FUSE driver still mounts the volume, fsck.exfat
                 // reports it. A damaged boot region would not mount at all.
                 "H=$(od -An -tu4 -j88 -N4 DEV) && R=$(od -An -tu4 -j96 -N4 DEV) && B=$(od -An -tu1 -j108 -N1 DEV) && "
                 "S=$(od -An -tu1 -j109 -N1 DEV) && printf '\\000' | dd of=DEV bs=1 conv=notrunc status=none "
                 "seek=$(( H*(1<<B) + (R-2)*(1<<(B+S)) + 64 + 4 ))",
                 "mount.exfat-fuse -o ro DEV MNT", "mount.exfat-fuse DEV MNT"}),
    [](const ::testing::TestParamInfo<FuseCase>& info) { return std::string(info.param.fsType); });

}  // namespace
}  // namespace zv::lnx
