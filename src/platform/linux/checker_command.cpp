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

// e2fsck and fsck.exfat sum the fsck(8) bits: 1 corrected, 2 corrected and reboot
// advised, 4 left uncorrected, 8 operational error, 16 usage, 32 cancelled, 128 library.
CheckerVerdict fsckBitsVerdict(const CheckerCommand& command, const CheckerOptions& options, int status,
                               bool stopped) {
    CheckerVerdict verdict;
    const std::string tail = " " + statusText(command, status) + ".";
    if (status < 0 || stopped || (status & 32)) {
        verdict.line = "The check was stopped before it finished" + tail;
        return verdict;
    }
    verdict.success = (status & (4 | 8 | 16 | 128)) == 0;
    if (status & 4) {
        verdict.problems = true;
        verdict.line = options.fix ? "The check found problems that could not all be corrected" + tail
                                   : "The check found problems; check again with fixing on to correct them" + tail;
    } else if (status & (1 | 2)) {
        verdict.problems = true;
        verdict.line = "The check found problems and corrected them" + tail;
    } else if (status != 0) {
        verdict.line = "The checker could not complete the check" + tail;
    } else {
        verdict.line = "The checker reported no problems" + tail;
    }
    return verdict;
}

}  // namespace

std::optional<CheckerCommand> checkerFor(const std::string& fsType, const CheckerOptions& options) {
    CheckerCommand command;
    if (fsType == "ext2" || fsType == "ext3" || fsType == "ext4" || fsType == "ext4dev") {
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
    } else if (fsType == "xfs") {
        command.kind = CheckerKind::XfsRepair;
        command.program = "xfs_repair";
        command.package = "xfsprogs";
        command.arguments.push_back(options.fix ? "-e" : "-n");
        if (options.verbose) command.arguments.push_back("-v");
        if (options.onlyIfDirty) command.remarks.push_back("xfs_repair always checks the whole volume.");
        if (options.scan) command.remarks.push_back("xfs_repair has no surface scan.");
    } else if (fsType == "btrfs") {
        command.kind = CheckerKind::Btrfs;
        command.program = "btrfs";
        command.package = "btrfs-progs";
        command.arguments = {"check", "--readonly"};
        if (options.fix)
            command.remarks.push_back("btrfs volumes are only checked here: btrfs check --repair is not run unattended.");
        if (options.scan) command.arguments.push_back("--check-data-csum");
    } else if (fsType == "vfat" || fsType == "msdos" || fsType == "fat") {
        command.kind = CheckerKind::Fat;
        command.program = "fsck.fat";
        command.package = "dosfstools";
        command.arguments.push_back(options.fix ? "-a" : "-n");
        if (options.verbose) command.arguments.push_back("-v");
        if (options.scan) command.arguments.push_back("-t");
        if (options.scan && !options.fix) command.remarks.push_back("Bad clusters found by the scan are not marked without fixing.");
    } else if (fsType == "exfat") {
        command.kind = CheckerKind::Exfat;
        command.program = "fsck.exfat";
        command.package = "exfatprogs";
        command.arguments.push_back(options.fix ? "-y" : "-n");
        if (options.verbose) command.arguments.push_back("-v");
        if (options.scan) command.remarks.push_back("fsck.exfat has no surface scan.");
    } else if (fsType == "ntfs" || fsType == "ntfs3" || fsType == "ntfs-3g") {
        command.kind = CheckerKind::Ntfsfix;
        command.program = "ntfsfix";
        command.package = "ntfs-3g";
        if (!options.fix) command.arguments.push_back("-n");
        command.remarks.push_back(
            "ntfsfix repairs only basic inconsistencies and marks the volume for a full check by Windows.");
    } else {
        return std::nullopt;
    }
    return command;
}

CheckerVerdict verdictOf(const CheckerCommand& command, const CheckerOptions& options, int status, bool stopped,
                         const std::vector<std::string>& output) {
    if (command.kind == CheckerKind::E2fsck || command.kind == CheckerKind::Exfat)
        return fsckBitsVerdict(command, options, status, stopped);

    CheckerVerdict verdict;
    const std::string tail = " " + statusText(command, status) + ".";
    if (status < 0 || stopped) {
        verdict.line = "The check was stopped before it finished" + tail;
        return verdict;
    }
    if (status == 0) {
        verdict.success = true;
        verdict.line = "The checker reported no problems" + tail;
        return verdict;
    }
    // A refusal to open the volume is no finding about the file system.
    const bool refused = anyLineContains(output, "mounted") || anyLineContains(output, "ermission denied") ||
                         anyLineContains(output, "cannot open") || anyLineContains(output, "No such file");
    switch (command.kind) {
    case CheckerKind::XfsRepair:
        if (status == 4 && options.fix) {
            verdict.success = true;
            verdict.problems = true;
            verdict.line = "The check found problems and corrected them" + tail;
        } else if (status == 1 && !options.fix && !refused) {
            verdict.success = true;
            verdict.problems = true;
            verdict.line = "The check found problems; check again with fixing on to correct them" + tail;
        } else if (status == 2) {
            verdict.line = "The volume's log must be replayed first: mount and unmount it, then check again" + tail;
        } else {
            verdict.line = "The checker could not complete the check" + tail;
        }
        break;
    case CheckerKind::Btrfs:
    case CheckerKind::Fat:
        if (refused || (command.kind == CheckerKind::Fat && status != 1)) {
            verdict.line = "The checker could not complete the check" + tail;
        } else {
            verdict.success = true;
            verdict.problems = true;
            verdict.line = options.fix && command.kind == CheckerKind::Fat
                               ? "The check found problems and corrected them" + tail
                               : "The check found problems; check again with fixing on to correct them" + tail;
        }
        break;
    default:
        verdict.line = "The checker could not complete the check" + tail;
        break;
    }
    return verdict;
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
