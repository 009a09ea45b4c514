// Subcommands of the check-disk and tools subsystems: chkdsk, bench, volumes, usb, clusters.
#include "chkdsk/check_disk_view_state.h"
#include "cli/cli_context.h"
#include "cli/terminal_progress.h"
#include "common/ui_services.h"
#include "common/visible_text.h"
#include "tools/bench_mark_view_state.h"
#include "tools/cluster_figures.h"
#include "tools/usb_drive_report.h"
#include "tools/volume_list.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace zv::cli {

namespace {

int usage(CliContext& context, const std::string& what, const char* synopsis) {
    context.err << "zorvane-cli: " << what << "\nusage: zorvane-cli " << synopsis << "\n";
    return 2;
}

std::string jsonBool(bool value) { return value ? "true" : "false"; }

template <typename Items, typename Render>
std::string jsonArray(const Items& items, Render render) {
    std::string out = "[";
    bool first = true;
    for (const auto& item : items) {
        out += (first ? "" : ",") + render(item);
        first = false;
    }
    return out + "]";
}

std::string jsonStrings(const std::vector<std::string>& items) {
    return jsonArray(items, [](const std::string& item) { return jsonQuote(item); });
}

// ---------------------------------------------------------------------------------------
// chkdsk
// ---------------------------------------------------------------------------------------
constexpr const char* kChkdskSynopsis = "chkdsk X: [--fix [--unmount [--yes]]] [--verbose] [--dirty-only] [--scan]";

// Asks on the terminal whether the mounted volume may be unmounted for the check.
bool confirmUnmount(CliContext& context, char letter, const std::string& mounts) {
    context.err << letter << ": is mounted:\n" << mounts << "\nUnmount it, check and fix it, and mount it again? [y/N] "
                << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes";
}

const char* outcomeName(chkdsk::CheckOutcome outcome) {
    switch (outcome) {
    case chkdsk::CheckOutcome::FinishedOk: return "finished";
    case chkdsk::CheckOutcome::ProblemsFound: return "problems";
    case chkdsk::CheckOutcome::Failed: return "failed";
    case chkdsk::CheckOutcome::Error: return "error";
    case chkdsk::CheckOutcome::NotRun: break;
    }
    return "not-run";
}

int runChkdsk(CliContext& context, const std::vector<std::string>& args) {
    std::string drive;
    bool fix = false, verbose = false, dirtyOnly = false, scan = false, unmount = false, yes = false;
    for (const std::string& arg : args) {
        if (arg == "--fix") fix = true;
        else if (arg == "--unmount") unmount = true;
        else if (arg == "--yes") yes = true;
        else if (arg == "--verbose") verbose = true;
        else if (arg == "--dirty-only") dirtyOnly = true;
        else if (arg == "--scan") scan = true;
        else if (!arg.empty() && arg[0] == '-') return usage(context, "unknown option " + arg, kChkdskSynopsis);
        else if (drive.empty()) drive = arg;
        else return usage(context, "one drive only", kChkdskSynopsis);
    }
    const char letter = parseDriveArgument(drive);
    if (letter == 0) return usage(context, drive.empty() ? "a drive is needed" : "not a drive: " + drive, kChkdskSynopsis);
    if (unmount && !fix) return usage(context, "--unmount goes with --fix", kChkdskSynopsis);
    if (yes && !unmount) return usage(context, "--yes goes with --unmount", kChkdskSynopsis);

    NullEventPump pump;
    chkdsk::CheckDiskViewState state(context.platform, pump);
    state.OptCorrectErrors = fix;
    state.OptVerbose = verbose;
    state.OptCheckDirty = dirtyOnly;
    state.OptScanDrive = scan;
    // The log as the window writes it, line by line while the check runs. The checker's
    // lines are its own bytes: control characters are shown as escapes.
    // Progress goes to the terminal only, as one line redrawn in place; the log never has it.
    TerminalProgress progress(stderr, &context.err == &std::cerr ? STDERR_FILENO : -1,
                              std::string("Checking ") + letter + ":");
    state.onProgress = [&](int percent) {
        if (state.running()) progress.show(percent);
    };
    if (!context.json)
        state.onLogLine = [&](const std::string& line) {
            progress.clear();
            context.out << visibleText(line) << "\n" << std::flush;
        };
    if (unmount) {
        const std::string mounts = state.MountedText(std::string(1, letter));
        if (!mounts.empty() && !yes) {
            if (!::isatty(STDIN_FILENO)) {
                context.err << "zorvane-cli: " << letter << ": is mounted (" << mounts
                            << "); unmounting it needs a yes on a terminal, or --yes\n";
                return 1;
            }
            if (!confirmUnmount(context, letter, mounts)) {
                context.err << "zorvane-cli: nothing was unmounted or checked\n";
                return 1;
            }
        }
        state.UnmountFixAndMount(std::string(1, letter));
    } else {
        state.Button1Click(std::string(1, letter));
    }
    progress.clear();

    if (context.json) {
        const auto& engine = state.engine();
        context.out << "{\"drive\":" << jsonQuote(std::string(1, letter) + ":")
                    << ",\"outcome\":" << jsonQuote(outcomeName(state.outcome()))
                    << ",\"fileSysProblem\":" << jsonBool(engine.FileSysProblem())
                    << ",\"freeSpaceAlloc\":" << jsonBool(engine.FreeSpaceAlloc())
                    << ",\"finishedOK\":" << jsonBool(engine.FinishedOK())
                    << ",\"firstErrorLine\":" << jsonQuote(engine.FirstErrorLine())
                    << ",\"log\":" << jsonStrings(state.log()) << "}\n";
    }
    switch (state.outcome()) {
    case chkdsk::CheckOutcome::FinishedOk: return 0;
    case chkdsk::CheckOutcome::ProblemsFound: return 3;
    default: return 1;
    }
}

// ---------------------------------------------------------------------------------------
// bench
// ---------------------------------------------------------------------------------------
constexpr const char* kBenchSynopsis = "bench [X: ...] [--local] [--removable] [--size BYTES] [--runs N]";

// Messages of the benchmark, told apart by the drive under test.
class BenchMessages final : public IMessages {
public:
    char drive = 0;
    std::vector<std::pair<char, std::string>> shown;
    void showMessage(const std::string& text) override { shown.emplace_back(drive, text); }
    DialogResult messageDialog(const std::string& text, DialogKind, DialogButtons) override {
        showMessage(text);
        return DialogResult::Ok;
    }
    void messageBox(const std::string& text, const std::string&, MessageIcon) override { showMessage(text); }
};

bool parseCount(const std::string& text, unsigned long long minimum, unsigned long long maximum,
                unsigned long long* value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    char* end = nullptr;
    *value = std::strtoull(text.c_str(), &end, 10);
    return *end == 0 && *value >= minimum && *value <= maximum;
}

std::string padded(const std::string& text, size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

int runBench(CliContext& context, const std::vector<std::string>& args) {
    bool local = false, removable = false;
    std::vector<char> letters;
    unsigned long long size = tools::kBenchmarkFileSize, runs = 1;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--local") local = true;
        else if (arg == "--removable") removable = true;
        else if (arg == "--size" || arg == "--runs") {
            if (i + 1 >= args.size()) return usage(context, arg + " needs a value", kBenchSynopsis);
            const std::string& value = args[++i];
            const bool ok = arg == "--size" ? parseCount(value, 1, 1ULL << 36, &size) : parseCount(value, 1, 1000, &runs);
            if (!ok) return usage(context, "bad value for " + arg + ": " + value, kBenchSynopsis);
        } else if (const char letter = parseDriveArgument(arg); letter != 0 && arg[0] != '-') {
            letters.push_back(letter);
        } else {
            return usage(context, "unknown argument " + arg, kBenchSynopsis);
        }
    }
    if (!letters.empty() && (local || removable))
        return usage(context, "drive letters and --local/--removable do not go together", kBenchSynopsis);
    // As the window starts: local drives only.
    if (!local && !removable) local = true;

    BenchMessages messages;
    tools::BenchMarkViewState state(context.platform, messages);
    state.CheckBox1 = local;
    state.CheckBox3 = removable;
    state.fileSize = size;
    state.runs = static_cast<int>(runs);
    state.onDriveStarted = [&](char letter) { messages.drive = letter; };
    if (!context.json)
        context.out << padded("Drive", 6) << padded("Type", 11) << padded("Test", 5) << padded("Speed", 16)
                    << "Notes\n";
    state.onRowAdded = [&](const tools::BenchmarkRow& row) {
        if (!context.json)
            context.out << padded(row.Drive, 6) << padded(row.Type, 11) << padded(row.Test, 5)
                        << padded(row.Speed, 16) << visibleText(row.Notes) << "\n" << std::flush;
    };
    if (letters.empty()) state.Button1Click();
    else state.BenchmarkDrives(letters);

    int failures = 0;
    for (const auto& [drive, text] : messages.shown) {
        if (text == "Cannot create file") ++failures;
        if (!context.json) context.err << drive << ": " << visibleText(text) << "\n";
    }
    if (context.json) {
        const auto optionalNumber = [](const std::optional<int64_t>& value) {
            return value ? std::to_string(*value) : std::string("null");
        };
        context.out << "{\"rows\":" << jsonArray(state.rows(), [&](const tools::BenchmarkRow& row) {
            return "{\"drive\":" + jsonQuote(row.Drive) + ",\"type\":" + jsonQuote(row.Type) +
                   ",\"test\":" + jsonQuote(row.Test) + ",\"speed\":" + jsonQuote(row.Speed) +
                   ",\"bestKbPerSec\":" + optionalNumber(row.bestKbPerSec) +
                   ",\"meanKbPerSec\":" + optionalNumber(row.meanKbPerSec) + ",\"runs\":" + std::to_string(row.runs) +
                   ",\"cacheBypassed\":" + jsonBool(row.cacheBypassed) +
                   ",\"cacheLayer\":" + jsonQuote(row.cacheLayer) + ",\"folder\":" + jsonQuote(row.folder) +
                   ",\"notes\":" + jsonQuote(row.Notes) + "}";
        }) << ",\"messages\":" << jsonArray(messages.shown, [](const std::pair<char, std::string>& message) {
            return "{\"drive\":" + jsonQuote(std::string(1, message.first) + ":") +
                   ",\"text\":" + jsonQuote(message.second) + "}";
        }) << "}\n";
    }
    return failures > 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// volumes, usb, clusters
// ---------------------------------------------------------------------------------------
int runVolumes(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return usage(context, "volumes takes no arguments", "volumes");
    const std::vector<std::string> names = tools::readVolumeNames(context.platform);
    if (context.json) {
        context.out << "{\"volumes\":" << jsonStrings(names) << "}\n";
    } else {
        for (const std::string& name : names) context.out << visibleText(name) << "\n";
    }
    return 0;
}

int runUsb(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return usage(context, "usb takes no arguments", "usb");
    std::vector<std::string> lines;
    const auto append = [&](const std::string& text) {
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(text.substr(start, end - start));
        lines.push_back(text.substr(start));
    };
    std::string error;
    try {
        tools::runUsbDriveReport(context.platform, [&](const std::string& text) {
            const size_t first = lines.size();
            append(text);
            // Printed as the report goes; the report's own line breaks end lines, control
            // characters inside a line (from a device's texts) are shown as escapes.
            if (!context.json)
                for (size_t i = first; i < lines.size(); ++i) context.out << visibleText(lines[i]) << "\n";
        });
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    if (context.json) {
        context.out << "{\"lines\":" << jsonStrings(lines) << ",\"error\":" << (error.empty() ? "null" : jsonQuote(error))
                    << "}\n";
    } else if (!error.empty()) {
        context.err << "zorvane-cli: " << visibleText(error) << "\n";
    }
    return error.empty() ? 0 : 1;
}

int runClusters(CliContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) return usage(context, "clusters takes no arguments", "clusters");
    const auto rows = tools::readAllClusterFigures(context.platform);
    if (context.json) {
        context.out << "{\"drives\":" << jsonArray(rows, [](const tools::ClusterFiguresRow& row) {
            return "{\"drive\":" + jsonQuote(row.Drive) + ",\"sectorsPerCluster\":" + std::to_string(row.counts[0]) +
                   ",\"bytesPerSector\":" + std::to_string(row.counts[1]) +
                   ",\"freeClusters\":" + std::to_string(row.counts[2]) +
                   ",\"totalClusters\":" + std::to_string(row.counts[3]) + "}";
        }) << "}\n";
        return 0;
    }
    const size_t widths[] = {7, 21, 18, 15, 14};
    for (size_t i = 0; i < tools::kClusterFiguresCaptions.size(); ++i)
        context.out << padded(tools::kClusterFiguresCaptions[i], widths[i]);
    context.out << "\n";
    for (const auto& row : rows) {
        context.out << padded(visibleText(row.Drive), widths[0]);
        for (size_t i = 0; i < row.SubItems.size(); ++i)
            context.out << padded(visibleText(row.SubItems[i]), widths[i + 1]);
        context.out << "\n";
    }
    return 0;
}

}  // namespace

const CliCommand kChkdskCommand = {
    "chkdsk", kChkdskSynopsis,
    "usage: zorvane-cli chkdsk X: [--fix [--unmount [--yes]]] [--verbose] [--dirty-only] [--scan] [--json]\n"
    "Checks the file system of drive X with the volume's own checker and prints the log as the\n"
    "Check Disk window writes it; a progress line is redrawn on standard error when it is a\n"
    "terminal. A volume that is not mounted keeps its letter (\"Not mounted\").\n"
    "  --fix         correct errors (needs the volume for itself: unmounted)\n"
    "  --unmount     with --fix: unmount the volume, check and fix it, mount it again where\n"
    "                it was; asks first, naming what is mounted where (--yes: do not ask)\n"
    "  --verbose     list every file the checker looks at\n"
    "  --dirty-only  check only when the volume is marked as not clean\n"
    "  --scan        also read the whole volume for bad blocks\n"
    "Exit status: 0 finished without problems, 3 problems found, 1 the check failed or could\n"
    "not run, 2 usage error.\n",
    runChkdsk};

const CliCommand kBenchCommand = {
    "bench", kBenchSynopsis,
    "usage: zorvane-cli bench [X: ...] [--local] [--removable] [--size BYTES] [--runs N] [--json]\n"
    "Times reading a temporary file on the drives given, or without drive letters on every\n"
    "local (default) and/or removable drive. The file\n"
    "(10 MiB unless --size; whole 64 KiB blocks) is written in full, flushed and read back\n"
    "bypassing the system's cache where the file system allows it; it is deleted afterwards.\n"
    "With --runs N the best of N reads is the speed and the mean is noted. A volume whose\n"
    "reads may still come from a cache (FUSE, network, a loop device on a cached file) says so.\n"
    "Exit status: 0, or 1 when a drive could not be tested.\n",
    runBench};

const CliCommand kVolumesCommand = {"volumes", "volumes",
                                    "usage: zorvane-cli volumes [--json]\n"
                                    "Lists the system's volume names (\\\\?\\Volume{...}\\), one per line.\n",
                                    runVolumes};

const CliCommand kUsbCommand = {"usb", "usb",
                                "usage: zorvane-cli usb [--json]\n"
                                "Reports the disk drives and the details of every USB disk.\n"
                                "Exit status: 0, or 1 when the disk drives cannot be queried.\n",
                                runUsb};

const CliCommand kClustersCommand = {"clusters", "clusters",
                                     "usage: zorvane-cli clusters [--json]\n"
                                     "Lists sectors per cluster, bytes per sector, free and total clusters of\n"
                                     "every logical drive.\n",
                                     runClusters};

}  // namespace zv::cli
