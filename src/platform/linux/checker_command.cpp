#include "platform/linux/checker_command.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace zv::lnx {

namespace {

bool anyLineContains(const std::vector<std::string>& output, const char* words) {
    return std::any_of(output.begin(), output.end(),
                       [&](const std::string& line) { return line.find(words) != std::string::npos; });
}

std::string statusText(const CheckerCommand& command, int exitStatus) {
    if (exitStatus < 0) return "(" + command.program + " was ended by a signal)";
    return "(" + command.program + " exit status " + std::to_string(exitStatus) + ")";
}

CheckerVerdict verdict(CheckerFinding finding, const std::string& words, const std::string& tail) {
    CheckerVerdict result;
    result.finding = finding;
    result.success = finding == CheckerFinding::Clean || finding == CheckerFinding::Problems ||
                     finding == CheckerFinding::Corrected;
    result.problems = finding == CheckerFinding::Problems || finding == CheckerFinding::Corrected;
    result.line = words + tail;
    return result;
}

CheckerVerdict problemsFound(const CheckerOptions& options, const std::string& tail) {
    if (options.mountedReadWrite)
        return verdict(CheckerFinding::Untrusted,
                       "The checker reported problems, but the volume is mounted read-write on " + options.mountPoint +
                           " and was changing while it was read, so the report cannot be trusted; unmount it and "
                           "check again",
                       tail);
    return verdict(CheckerFinding::Problems, "The check found problems; check again with fixing on to correct them",
                   tail);
}

// e2fsck and fsck.exfat sum the fsck(8) bits: 1 corrected, 2 corrected and reboot
// advised, 4 left uncorrected, 8 operational error, 16 usage, 32 cancelled, 128 library.
CheckerVerdict fsckBitsVerdict(const CheckerOptions& options, int status, const std::string& tail) {
    if (status & 32) return verdict(CheckerFinding::Stopped, "The check was stopped before it finished", tail);
    // Problems left uncorrected count even when the checker also ran into an operational
    // error (e2fsck -n on a damaged volume often ends with 4 + 8).
    if (status & 4) {
        if (options.fix)
            return verdict(CheckerFinding::Problems, "The check found problems that could not all be corrected", tail);
        return problemsFound(options, tail);
    }
    if (status & (8 | 16 | 128))
        return verdict(CheckerFinding::Failed, "The checker could not complete the check", tail);
    if (status & (1 | 2)) return verdict(CheckerFinding::Corrected, "The check found problems and corrected them", tail);
    return verdict(CheckerFinding::Clean, "The checker reported no problems", tail);
}

// A refusal to open the volume is no finding about the file system.
bool refusedToOpen(const std::vector<std::string>& output) {
    return anyLineContains(output, "mounted") || anyLineContains(output, "ermission denied") ||
           anyLineContains(output, "cannot open") || anyLineContains(output, "No such file") ||
           anyLineContains(output, "open:") || anyLineContains(output, "Refusing");
}

std::string unmountAdvice(const CheckerOptions& options) {
    return "unmount it (Zorvane can unmount it, check and fix it, and mount it again: \"Unmount, Fix, Mount\" in "
           "the Check Disk window, or zorvane-cli chkdsk with --fix --unmount), or remount it read-only (mount -o "
           "remount,ro " +
           options.mountPoint + ") and check again.";
}

void e2fsckCommand(const CheckerOptions& options, CheckerCommand& command) {
    command.kind = CheckerKind::E2fsck;
    command.program = "e2fsck";
    command.package = "e2fsprogs";
    // Preening (-p) stops at problems it may not fix alone; fixing means answering yes.
    command.arguments.push_back(options.fix ? "-y" : "-n");
    if (!options.onlyIfDirty) command.arguments.push_back("-f");
    if (options.verbose) command.arguments.push_back("-v");
    if (options.scan) {
        // The bad-block scan records what it finds, which a read-only check cannot do.
        if (options.fix) command.arguments.push_back("-c");
        else command.remarks.push_back("The surface scan records bad blocks and runs only with fixing on.");
    }
    command.progressDescriptor = true;
}

void xfsCommand(const CheckerOptions& options, CheckerCommand& command) {
    command.kind = CheckerKind::XfsRepair;
    command.program = "xfs_repair";
    command.package = "xfsprogs";
    command.arguments.push_back(options.fix ? "-e" : "-n");
    if (options.verbose) command.arguments.push_back("-v");
    if (options.onlyIfDirty) command.remarks.push_back("xfs_repair always checks the whole volume.");
    if (options.scan) command.remarks.push_back("xfs_repair has no surface scan.");
    if (options.mountedReadWrite)
        command.refusal = "xfs_repair checks only an unmounted or read-only mounted XFS volume, and this one is "
                          "mounted read-write on " + options.mountPoint + ": " + unmountAdvice(options);
}

void btrfsCommand(const CheckerOptions& options, CheckerCommand& command) {
    command.kind = CheckerKind::Btrfs;
    command.program = "btrfs";
    command.package = "btrfs-progs";
    if (!options.mountPoint.empty()) {
        // btrfs check reads a mounted file system only at its own risk (--force); the
        // read-only scrub verifies every checksum through the mounted file system.
        command.arguments = {"scrub", "start", "-B", "-r"};
        command.operand = options.mountPoint;
        command.remarks.push_back("The volume is mounted on " + options.mountPoint +
                                  ": it is checked with a read-only scrub, which verifies the checksum of every "
                                  "block in use.");
        return;
    }
    if (options.fix) {
        // --force only skips the countdown before repairing; the volume is not mounted.
        command.arguments = {"check", "--repair", "--force"};
    } else {
        command.arguments = {"check", "--readonly"};
    }
    if (options.scan) command.arguments.push_back("--check-data-csum");
}

void fatCommand(const CheckerOptions& options, CheckerCommand& command) {
    command.kind = CheckerKind::Fat;
    command.program = "fsck.fat";
    command.package = "dosfstools";
    command.arguments.push_back(options.fix ? "-a" : "-n");
    if (options.verbose) command.arguments.push_back("-v");
    if (options.scan) command.arguments.push_back("-t");
    if (options.scan && !options.fix) command.remarks.push_back("Bad clusters found by the scan are not marked without fixing.");
}

void exfatCommand(const CheckerOptions& options, CheckerCommand& command) {
    command.kind = CheckerKind::Exfat;
    command.program = "fsck.exfat";
    command.package = "exfatprogs";
    command.arguments.push_back(options.fix ? "-y" : "-n");
    if (options.verbose) command.arguments.push_back("-v");
    if (options.scan) command.remarks.push_back("fsck.exfat has no surface scan.");
}

void ntfsCommand(const CheckerOptions& options, CheckerCommand& command) {
    command.kind = CheckerKind::Ntfsfix;
    command.program = "ntfsfix";
    command.package = "ntfs-3g";
    if (!options.fix) command.arguments.push_back("-n");
    command.remarks.push_back(
        "ntfsfix repairs only basic inconsistencies; it marks the volume so that the next full NTFS "
        "check (chkdsk) runs when the volume is next used by a system that has one.");
    if (options.mountedReadWrite)
        command.refusal = "ntfsfix does not work on a read-write mounted NTFS volume, and this one is mounted on " +
                          options.mountPoint + ": " + unmountAdvice(options);
}

}  // namespace

std::optional<CheckerCommand> checkerFor(const std::string& fsType, const CheckerOptions& options) {
    CheckerCommand command;
    if (fsType == "ext2" || fsType == "ext3" || fsType == "ext4" || fsType == "ext4dev") e2fsckCommand(options, command);
    else if (fsType == "xfs") xfsCommand(options, command);
    else if (fsType == "btrfs") btrfsCommand(options, command);
    else if (fsType == "vfat" || fsType == "msdos" || fsType == "fat") fatCommand(options, command);
    else if (fsType == "exfat") exfatCommand(options, command);
    else if (fsType == "ntfs" || fsType == "ntfs3" || fsType == "ntfs-3g") ntfsCommand(options, command);
    else return std::nullopt;
    if (options.mountedReadWrite && command.refusal.empty() && command.operand.empty())
        command.remarks.push_back("The volume is mounted read-write on " + options.mountPoint +
                                  ": the checker reads a file system that may change while it is read.");
    return command;
}

CheckerVerdict verdictOf(const CheckerCommand& command, const CheckerOptions& options, int status, bool stopped,
                         const std::vector<std::string>& output) {
    const std::string tail = " " + statusText(command, status) + ".";
    if (status < 0 || stopped) return verdict(CheckerFinding::Stopped, "The check was stopped before it finished", tail);
    if (command.kind == CheckerKind::E2fsck || command.kind == CheckerKind::Exfat)
        return fsckBitsVerdict(options, status, tail);
    if (status == 0) return verdict(CheckerFinding::Clean, "The checker reported no problems", tail);

    const CheckerVerdict failed = verdict(CheckerFinding::Failed, "The checker could not complete the check", tail);
    switch (command.kind) {
    case CheckerKind::XfsRepair:
        // -n: 1 corruption found; -e: 4 problems found and fixed; 1 otherwise a runtime
        // error; 2 a dirty log.
        if (status == 4 && options.fix)
            return verdict(CheckerFinding::Corrected, "The check found problems and corrected them", tail);
        if (status == 1 && !options.fix && !refusedToOpen(output)) return problemsFound(options, tail);
        if (status == 2)
            return verdict(CheckerFinding::Failed,
                           "The volume's log must be replayed first: mount and unmount it, then check again", tail);
        return failed;
    case CheckerKind::Btrfs:
        // scrub: 3 uncorrectable errors found, 1 no scrub; check: any other status is a
        // finding unless the volume could not be opened.
        if (!command.operand.empty())
            return status == 3 ? verdict(CheckerFinding::Problems,
                                         "The scrub found problems: blocks whose checksum does not match", tail)
                               : failed;
        if (refusedToOpen(output)) return failed;
        return options.fix ? verdict(CheckerFinding::Problems, "The check found problems that could not all be corrected", tail)
                           : problemsFound(options, tail);
    case CheckerKind::Fat:
        // 1 recoverable errors found (and, when fixing, corrected); 2 usage error.
        if (status != 1 || refusedToOpen(output)) return failed;
        return options.fix ? verdict(CheckerFinding::Corrected, "The check found problems and corrected them", tail)
                           : problemsFound(options, tail);
    case CheckerKind::Ntfsfix:
        // 1 an inconsistency it would fix (-n) or could not fix; a refusal says so.
        if (status != 1 || refusedToOpen(output)) return failed;
        return options.fix ? verdict(CheckerFinding::Problems, "The check found problems that could not all be corrected", tail)
                           : problemsFound(options, tail);
    default:
        return failed;
    }
}

std::optional<int> e2fsckProgressPercent(const std::string& line) {
    static constexpr int kPassTable[] = {0, 70, 90, 92, 95, 100};
    int pass = 0;
    unsigned long current = 0, maximum = 0;
    char tail = 0;
    if (std::sscanf(line.c_str(), "%d %lu %lu%c", &pass, &current, &maximum, &tail) < 3) return std::nullopt;
    if (tail != 0 && tail != ' ' && tail != '\n') return std::nullopt;
    if (pass < 1 || pass > 5) return std::nullopt;
    const double fraction = maximum == 0 ? 0.0 : std::min(1.0, static_cast<double>(current) / maximum);
    const double percent = kPassTable[pass - 1] + fraction * (kPassTable[pass] - kPassTable[pass - 1]);
    return static_cast<int>(percent);
}

std::string fsTypeForVolumeName(const std::string& fileSystemName) {
    std::string lower;
    for (char c : fileSystemName) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "ntfs") return "ntfs";
    if (lower == "fat" || lower == "fat12" || lower == "fat16" || lower == "fat32" || lower == "vfat") return "vfat";
    if (lower == "exfat") return "exfat";
    return lower;
}

}  // namespace zv::lnx
