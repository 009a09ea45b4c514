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
    EXPECT_EQ(checkerFor("btrfs", options(false, false, false, false))->arguments, (Words{"check", "--readonly"}));
    EXPECT_EQ(checkerFor("btrfs", options(true, false, false, true))->arguments,
              (Words{"check", "--repair", "--force", "--check-data-csum"}));
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
    CheckerFinding finding;
    const char* words;  // part of the final line
};

class CheckerVerdicts : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(CheckerVerdicts, ExitStatusMeansWhatTheCheckerDocuments) {
    const VerdictCase& c = GetParam();
    const CheckerOptions o = options(c.fix, false, false, false);
    const auto command = checkerFor(c.fsType, o);
    ASSERT_TRUE(command);
    const CheckerVerdict verdict = verdictOf(*command, o, c.status, false, {});
    EXPECT_EQ(verdict.finding, c.finding) << verdict.line;
    EXPECT_NE(verdict.line.find(c.words), std::string::npos) << verdict.line;
    EXPECT_NE(verdict.line.find("exit status " + std::to_string(c.status)), std::string::npos) << verdict.line;
    // The engine notices problems by its phrases only.
    const bool problems = c.finding == CheckerFinding::Problems || c.finding == CheckerFinding::Corrected;
    EXPECT_EQ(verdict.problems, problems) << verdict.line;
    EXPECT_EQ(verdict.line.find("found problems") != std::string::npos, problems) << verdict.line;
}

using F = CheckerFinding;
INSTANTIATE_TEST_SUITE_P(
    Statuses, CheckerVerdicts,
    ::testing::Values(VerdictCase{"ext4", false, 0, F::Clean, "no problems"},
                      VerdictCase{"ext4", false, 4, F::Problems, "fixing on"},
                      VerdictCase{"ext4", false, 12, F::Problems, "fixing on"},
                      VerdictCase{"ext4", true, 1, F::Corrected, "corrected them"},
                      VerdictCase{"ext4", true, 2, F::Corrected, "corrected them"},
                      VerdictCase{"ext4", true, 4, F::Problems, "could not all be corrected"},
                      VerdictCase{"ext4", true, 8, F::Failed, "could not complete"},
                      VerdictCase{"ext4", true, 32, F::Stopped, "stopped"},
                      VerdictCase{"xfs", false, 1, F::Problems, "fixing on"},
                      VerdictCase{"xfs", true, 4, F::Corrected, "corrected"},
                      VerdictCase{"xfs", true, 1, F::Failed, "could not complete"},
                      VerdictCase{"xfs", true, 2, F::Failed, "log must be replayed"},
                      VerdictCase{"vfat", false, 1, F::Problems, "fixing on"},
                      VerdictCase{"vfat", true, 1, F::Corrected, "corrected"},
                      VerdictCase{"vfat", false, 2, F::Failed, "could not complete"},
                      VerdictCase{"exfat", false, 4, F::Problems, "fixing on"},
                      VerdictCase{"exfat", true, 1, F::Corrected, "corrected"},
                      VerdictCase{"exfat", false, 8, F::Failed, "could not complete"},
                      VerdictCase{"btrfs", false, 1, F::Problems, "found problems"},
                      VerdictCase{"ntfs", false, 1, F::Problems, "fixing on"},
                      VerdictCase{"ntfs", false, 0, F::Clean, "no problems"}));

CheckerOptions mounted(bool readWrite) {
    CheckerOptions o = options(false, false, false, false);
    o.mountPoint = "/media/volume";
    o.mountedReadWrite = readWrite;
    return o;
}

TEST(CheckerVerdict, ProblemsOnAReadWriteMountAreNotTrusted) {
    for (const char* fsType : {"ext4", "vfat", "exfat"}) {
        const auto command = checkerFor(fsType, mounted(true));
        ASSERT_TRUE(command);
        EXPECT_TRUE(command->refusal.empty()) << fsType;
        EXPECT_FALSE(command->remarks.empty()) << fsType;
        const int status = std::string(fsType) == "vfat" ? 1 : 4;
        const auto verdict = verdictOf(*command, mounted(true), status, false, {});
        EXPECT_EQ(verdict.finding, CheckerFinding::Untrusted) << fsType;
        EXPECT_EQ(verdict.line.find("found problems"), std::string::npos) << verdict.line;
        EXPECT_NE(verdict.line.find("/media/volume"), std::string::npos) << verdict.line;
        // Read-only mounted, the same answer is a finding.
        EXPECT_EQ(verdictOf(*command, mounted(false), status, false, {}).finding, CheckerFinding::Problems) << fsType;
    }
}

TEST(CheckerCommand, ToolsThatRefuseAReadWriteMountSayWhatToDo) {
    for (const char* fsType : {"xfs", "ntfs"}) {
        const auto readWrite = checkerFor(fsType, mounted(true));
        EXPECT_NE(readWrite->refusal.find("mount -o remount,ro /media/volume"), std::string::npos) << readWrite->refusal;
        EXPECT_NE(readWrite->refusal.find("--unmount"), std::string::npos) << readWrite->refusal;
        EXPECT_TRUE(checkerFor(fsType, mounted(false))->refusal.empty()) << fsType;
    }
}

TEST(CheckerCommand, AMountedBtrfsIsScrubbedReadOnly) {
    const auto command = checkerFor("btrfs", mounted(true));
    EXPECT_EQ(command->arguments, (Words{"scrub", "start", "-B", "-r"}));
    EXPECT_EQ(command->operand, "/media/volume");
    EXPECT_TRUE(command->refusal.empty());
    // The scrub documents 3 for uncorrectable errors found and 1 for a scrub that could not run.
    EXPECT_EQ(verdictOf(*command, mounted(true), 3, false, {}).finding, CheckerFinding::Problems);
    EXPECT_EQ(verdictOf(*command, mounted(true), 1, false, {}).finding, CheckerFinding::Failed);
    EXPECT_EQ(verdictOf(*command, mounted(true), 0, false, {}).finding, CheckerFinding::Clean);
}

TEST(CheckerVerdict, ARefusalToOpenIsNoProblemOfTheFileSystem) {
    const CheckerOptions o = options(false, false, false, false);
    const auto btrfs = checkerFor("btrfs", o);
    const auto verdict = verdictOf(*btrfs, o, 1, false, {"ERROR: /dev/loop3 is currently mounted, use --force"});
    EXPECT_FALSE(verdict.problems);
    EXPECT_EQ(verdict.finding, CheckerFinding::Failed);
    const auto ntfs = checkerFor("ntfs", o);
    EXPECT_EQ(verdictOf(*ntfs, o, 1, false, {"Refusing to operate on read-write mounted device /dev/loop0."}).finding,
              CheckerFinding::Failed);
    const auto fat = checkerFor("vfat", o);
    EXPECT_EQ(verdictOf(*fat, o, 1, false, {"open: Permission denied"}).finding, CheckerFinding::Failed);
}

TEST(CheckerVerdict, AStoppedCheckDidNotFinish) {
    const CheckerOptions o = options(false, false, false, false);
    const auto fat = checkerFor("vfat", o);
    EXPECT_EQ(verdictOf(*fat, o, 0, true, {}).finding, CheckerFinding::Stopped);
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
