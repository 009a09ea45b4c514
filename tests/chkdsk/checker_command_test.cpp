// The rules of the checkers on this machine: arguments per option, what each exit status
// means, e2fsck's progress lines.
#include "platform/linux/checker_command.h"

#include <gtest/gtest.h>

namespace zv::lnx {
namespace {

using Words = std::vector<std::string>;

CheckerOptions options(bool fix, bool verbose, bool onlyIfDirty, bool scan) {
    CheckerOptions o;
    o.fix = fix;
    o.verbose = verbose;
    o.onlyIfDirty = onlyIfDirty;
    o.scan = scan;
    return o;
}

TEST(CheckerCommand, E2fsckArgumentsFollowTheOptions) {
    auto readOnly = checkerFor("ext4", options(false, false, false, false));
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(readOnly->program, "e2fsck");
    EXPECT_EQ(readOnly->arguments, (Words{"-n", "-f"}));
    EXPECT_TRUE(readOnly->progressDescriptor);

    auto everything = checkerFor("ext3", options(true, true, true, true));
    EXPECT_EQ(everything->arguments, (Words{"-y", "-v", "-c"}));
    EXPECT_TRUE(everything->remarks.empty());

    // The bad-block scan needs to write its findings: not in a read-only check.
    auto scanOnly = checkerFor("ext2", options(false, false, false, true));
    EXPECT_EQ(scanOnly->arguments, (Words{"-n", "-f"}));
    ASSERT_EQ(scanOnly->remarks.size(), 1u);
}

TEST(CheckerCommand, OtherFileSystemsHaveTheirOwnChecker) {
    EXPECT_EQ(checkerFor("xfs", options(false, true, false, false))->arguments, (Words{"-n", "-v"}));
    EXPECT_EQ(checkerFor("xfs", options(true, false, false, false))->arguments, (Words{"-e"}));
    EXPECT_EQ(checkerFor("btrfs", options(true, false, false, false))->arguments, (Words{"check", "--readonly"}));
    EXPECT_EQ(checkerFor("vfat", options(false, true, false, false))->arguments, (Words{"-n", "-v"}));
    EXPECT_EQ(checkerFor("exfat", options(true, false, false, false))->arguments, (Words{"-y"}));
    EXPECT_EQ(checkerFor("ntfs", options(false, false, false, false))->arguments, (Words{"-n"}));
    EXPECT_EQ(checkerFor("ntfs", options(false, false, false, false))->program, "ntfsfix");
    EXPECT_FALSE(checkerFor("iso9660", options(false, false, false, false)));
    EXPECT_FALSE(checkerFor("", options(false, false, false, false)));
}

struct VerdictCase {
    const char* fsType;
    bool fix;
    int status;
    bool success;
    bool problems;
    const char* words;  // part of the final line
};

class CheckerVerdicts : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(CheckerVerdicts, ExitStatusMeansWhatTheCheckerDocuments) {
    const VerdictCase& c = GetParam();
    const CheckerOptions o = options(c.fix, false, false, false);
    const auto command = checkerFor(c.fsType, o);
    ASSERT_TRUE(command);
    const CheckerVerdict verdict = verdictOf(*command, o, c.status, false, {});
    EXPECT_EQ(verdict.success, c.success) << verdict.line;
    EXPECT_EQ(verdict.problems, c.problems) << verdict.line;
    EXPECT_NE(verdict.line.find(c.words), std::string::npos) << verdict.line;
    EXPECT_NE(verdict.line.find("exit status " + std::to_string(c.status)), std::string::npos) << verdict.line;
    // The engine notices problems by its phrases only.
    EXPECT_EQ(verdict.line.find("found problems") != std::string::npos, c.problems) << verdict.line;
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, CheckerVerdicts,
    ::testing::Values(VerdictCase{"ext4", false, 0, true, false, "no problems"},
                      VerdictCase{"ext4", false, 4, false, true, "fixing on"},
                      VerdictCase{"ext4", false, 12, false, true, "fixing on"},
                      VerdictCase{"ext4", true, 1, true, true, "corrected them"},
                      VerdictCase{"ext4", true, 2, true, true, "corrected them"},
                      VerdictCase{"ext4", true, 8, false, false, "could not complete"},
                      VerdictCase{"ext4", true, 32, false, false, "stopped"},
                      VerdictCase{"xfs", false, 1, true, true, "fixing on"},
                      VerdictCase{"xfs", true, 4, true, true, "corrected"},
                      VerdictCase{"xfs", true, 2, false, false, "log must be replayed"},
                      VerdictCase{"vfat", false, 1, true, true, "fixing on"},
                      VerdictCase{"vfat", false, 2, false, false, "could not complete"},
                      VerdictCase{"exfat", false, 4, false, true, "fixing on"},
                      VerdictCase{"btrfs", false, 1, true, true, "found problems"},
                      VerdictCase{"ntfs", false, 1, false, false, "could not complete"}));

TEST(CheckerVerdict, ARefusalToOpenIsNoProblemOfTheFileSystem) {
    const CheckerOptions o = options(false, false, false, false);
    const auto btrfs = checkerFor("btrfs", o);
    const auto verdict = verdictOf(*btrfs, o, 1, false, {"ERROR: /dev/loop3 is currently mounted, use --force"});
    EXPECT_FALSE(verdict.problems);
    EXPECT_FALSE(verdict.success);
}

TEST(CheckerVerdict, AStoppedCheckDidNotFinish) {
    const CheckerOptions o = options(false, false, false, false);
    const auto fat = checkerFor("vfat", o);
    EXPECT_FALSE(verdictOf(*fat, o, 0, true, {}).success);
    const auto ext = checkerFor("ext4", o);
    EXPECT_NE(verdictOf(*ext, o, -1, false, {}).line.find("ended by a signal"), std::string::npos);
}

TEST(E2fsckProgress, PassesAreWeighted) {
    EXPECT_EQ(e2fsckProgressPercent("1 0 8 MyLabel"), 0);
    EXPECT_EQ(e2fsckProgressPercent("1 4 8 /dev/loop0"), 35);
    EXPECT_EQ(e2fsckProgressPercent("2 8 8 x"), 90);
    EXPECT_EQ(e2fsckProgressPercent("3 1 2 x"), 91);
    EXPECT_EQ(e2fsckProgressPercent("5 16 16 MyLabel"), 100);
    EXPECT_EQ(e2fsckProgressPercent("4 3 0"), 92);  // older releases print three numbers
    EXPECT_EQ(e2fsckProgressPercent("Pass 1: Checking inodes"), std::nullopt);
    EXPECT_EQ(e2fsckProgressPercent("6 1 1 x"), std::nullopt);
}

TEST(CheckerCommand, VolumeNamesMapToFileSystemTypes) {
    EXPECT_EQ(fsTypeForVolumeName("NTFS"), "ntfs");
    EXPECT_EQ(fsTypeForVolumeName("FAT32"), "vfat");
    EXPECT_EQ(fsTypeForVolumeName("exFAT"), "exfat");
    EXPECT_EQ(fsTypeForVolumeName("EXT4"), "ext4");
}

}  // namespace
}  // namespace zv::lnx
