// Which program checks a file system on this machine, with which arguments, and what its
// exit status means. The check library (check_library.cpp) runs it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zv::lnx {

struct CheckerOptions {
    bool fix = false;          // correct errors
    bool verbose = false;
    bool onlyIfDirty = false;  // skip a volume marked clean
    bool scan = false;         // read every block for bad sectors
    // Where the volume is mounted ("" when it is not) and whether read-write: a checker
    // reading a read-write mounted file system reads one that may change under it.
    std::string mountPoint;
    bool mountedReadWrite = false;
};

enum class CheckerKind { E2fsck, XfsRepair, Btrfs, Fat, Exfat, Ntfsfix };

struct CheckerCommand {
    CheckerKind kind = CheckerKind::E2fsck;
    std::string program;               // "e2fsck"
    std::string package;               // the Debian package that brings it
    std::vector<std::string> arguments;  // without the program and without the device
    // e2fsck reports its passes on a descriptor of its own ("-C fd").
    bool progressDescriptor = false;
    // Lines for the log about options the checker cannot honour and about the way it runs.
    std::vector<std::string> remarks;
    // What the checker reads: the mount point for a check that works on a mounted file
    // system (btrfs scrub); "" for the device.
    std::string operand;
    // Set when the checker refuses this volume as it is mounted: why, and what the user
    // can do. Nothing is run then.
    std::string refusal;
};

// The checker for a Linux file-system type ("ext4", "vfat", "ntfs" ...); nullopt when
// the type has none.
std::optional<CheckerCommand> checkerFor(const std::string& fsType, const CheckerOptions& options);

// What a finished checker run found.
enum class CheckerFinding {
    Clean,      // no problems
    Problems,   // problems found and left as they are
    Corrected,  // problems found and corrected
    Failed,     // the checker could not check
    Stopped,    // stopped on request or by a signal
    Untrusted,  // problems reported on a read-write mounted file system: no finding
};

// The outcome of a finished checker run.
struct CheckerVerdict {
    CheckerFinding finding = CheckerFinding::Failed;
    bool success = false;   // the check ran to its end and its answer holds
    bool problems = false;  // the checker reported file-system problems (Problems, Corrected)
    std::string line;       // the final log line, with the exit status
};

// `exitStatus` as the checker's exit code, or -1 when it was ended by a signal. `output`
// is every line it wrote (some checkers tell a refusal apart from a problem only there).
CheckerVerdict verdictOf(const CheckerCommand& command, const CheckerOptions& options, int exitStatus,
                         bool stopped, const std::vector<std::string>& output);

// e2fsck's progress line "pass current maximum [device]" as a whole percentage weighted
// by pass (the passes span 0-70-90-92-95-100 %); nullopt for another line.
std::optional<int> e2fsckProgressPercent(const std::string& line);

// The file-system type for the name the volume information reports ("NTFS", "FAT32"),
// where the mount table cannot tell (a FUSE mount).
std::string fsTypeForVolumeName(const std::string& fileSystemName);

}  // namespace zv::lnx
