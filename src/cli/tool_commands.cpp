// Subcommands of the check-disk and tools subsystems: chkdsk, bench, volumes, usb, clusters.
#include "chkdsk/check_disk_view_state.h"
#include "cli/cli_context.h"
#include "cli/json_output.h"
#include "cli/terminal_progress.h"
#include "common/ui_services.h"
#include "common/visible_text.h"
#include "tools/bench_mark_view_state.h"
#include "tools/cluster_figures.h"
#include "tools/usb_drive_report.h"
#include "tools/volume_list.h"

#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace zv::cli {

namespace {

using nlohmann::ordered_json;

// ---------------------------------------------------------------------------------------
// chkdsk
// ---------------------------------------------------------------------------------------
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

ordered_json chkdskJson(char letter, const chkdsk::CheckDiskViewState& state) {
    const auto& engine = state.engine();
    ordered_json answer = jsonAnswer();
    answer["drive"] = std::string(1, letter) + ":";
    answer["outcome"] = outcomeName(state.outcome());
    answer["file_sys_problem"] = engine.FileSysProblem();
    answer["free_space_alloc"] = engine.FreeSpaceAlloc();
    answer["finished_ok"] = engine.FinishedOK();
    answer["first_error_line"] = engine.FirstErrorLine();
    answer["log"] = state.log();
    const chkdsk::CheckOutcome outcome = state.outcome();
    if (outcome != chkdsk::CheckOutcome::FinishedOk && outcome != chkdsk::CheckOutcome::ProblemsFound) {
        const std::string why = engine.FirstErrorLine().empty() ? std::string("the check failed or could not run")
                                                                : engine.FirstErrorLine();
        answer["error"] = jsonError("check_failed", why);
    }
    return answer;
}

int runChkdsk(CliContext& context, const ParsedArguments& args) {
    const char letter = requireDrive(args, "name the drive to check, for example C:");
    const bool unmount = args.has("unmount"), yes = args.has("yes");
    if (unmount && !args.has("fix")) throw UsageError("--unmount goes with --fix");
    if (yes && !unmount) throw UsageError("--yes goes with --unmount");
    NullEventPump pump;
    chkdsk::CheckDiskViewState state(context.platform, pump);
    state.OptCorrectErrors = args.has("fix");
    state.OptVerbose = args.has("verbose");
    state.OptCheckDirty = args.has("dirty-only");
    state.OptScanDrive = args.has("scan");
    // Progress goes to the terminal only, as one line redrawn in place; the log never has it.
    TerminalProgress progress(stderr, &context.err == &std::cerr ? STDERR_FILENO : -1,
                              std::string("Checking ") + letter + ":");
    state.onProgress = [&](int percent) {
        if (state.running()) progress.show(percent);
    };
    // The log as the window writes it, line by line while the check runs. The checker's
    // lines are its own bytes: control characters are shown as escapes.
    if (!context.json)
        state.onLogLine = [&](const std::string& line) {
            progress.clear();
            context.out << visibleText(line) << "\n" << std::flush;
        };
    if (unmount) {
        const std::string mounts = state.MountedText(std::string(1, letter));
        if (!mounts.empty() && !yes) {
            if (!::isatty(STDIN_FILENO))
                throw CommandFailure("not_confirmed", std::string(1, letter) + ": is mounted (" + mounts +
                                                          "); unmounting it needs a yes on a terminal, or --yes");
            if (!confirmUnmount(context, letter, mounts))
                throw CommandFailure("not_confirmed", "nothing was unmounted or checked");
        }
        state.UnmountFixAndMount(std::string(1, letter));
    } else {
        state.Button1Click(std::string(1, letter));
    }
    progress.clear();

    if (context.json) writeJson(context.out, chkdskJson(letter, state));
    switch (state.outcome()) {
    case chkdsk::CheckOutcome::FinishedOk: return 0;
    case chkdsk::CheckOutcome::ProblemsFound: return 3;
    default: return 1;
    }
}

// ---------------------------------------------------------------------------------------
// bench
// ---------------------------------------------------------------------------------------
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

// A whole number from `minimum` to `maximum` given to option `name`; UsageError otherwise.
unsigned long long countOption(const ParsedArguments& args, const std::string& name, unsigned long long fallback,
                               unsigned long long minimum, unsigned long long maximum) {
    if (!args.has(name)) return fallback;
    const std::string text = args.value(name);
    const auto bad = [&] {
        return UsageError("bad value for --" + name + ": '" + text + "' (a whole number from " + std::to_string(minimum) +
                          " to " + std::to_string(maximum) + ")");
    };
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) throw bad();
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (errno == ERANGE || *end != 0 || value < minimum || value > maximum) throw bad();
    return value;
}

std::string padded(const std::string& text, size_t width) {
    return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

ordered_json benchRowJson(const tools::BenchmarkRow& row) {
    ordered_json r = ordered_json::object();
    r["drive"] = row.Drive;
    r["type"] = row.Type;
    r["test"] = row.Test;
    r["speed"] = row.Speed;
    r["speed_value"] = orNull(row.bestKbPerSec);
    r["notes"] = row.Notes;
    r["best_kb_per_sec"] = orNull(row.bestKbPerSec);
    r["mean_kb_per_sec"] = orNull(row.meanKbPerSec);
    r["runs"] = row.runs;
    r["cache_bypassed"] = row.cacheBypassed;
    r["cache_layer"] = row.cacheLayer;
    r["folder"] = row.folder;
    return r;
}

ordered_json benchJson(const tools::BenchMarkViewState& state, const BenchMessages& messages, int failures) {
    ordered_json answer = jsonAnswer();
    ordered_json rows = ordered_json::array();
    for (const tools::BenchmarkRow& row : state.rows()) rows.push_back(benchRowJson(row));
    answer["rows"] = rows;
    ordered_json shown = ordered_json::array();
    for (const auto& [drive, text] : messages.shown)
        shown.push_back({{"drive", std::string(1, drive) + ":"}, {"text", text}});
    answer["messages"] = shown;
    if (failures > 0)
        answer["error"] = jsonError("drive_not_tested", std::to_string(failures) + " drive(s) could not be tested");
    return answer;
}

int runBench(CliContext& context, const ParsedArguments& args) {
    std::vector<char> letters;
    for (const std::string& operand : args.operands()) {
        const char letter = parseDriveArgument(operand);
        if (letter == 0) throw UsageError("not a drive: '" + operand + "'");
        letters.push_back(letter);
    }
    bool local = args.has("local");
    const bool removable = args.has("removable");
    if (!letters.empty() && (local || removable))
        throw UsageError("drive letters and --local/--removable do not go together");
    const unsigned long long size = countOption(args, "size", tools::kBenchmarkFileSize, 1, 1ULL << 36);
    const unsigned long long runs = countOption(args, "runs", 1, 1, 1000);
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
    if (context.json) writeJson(context.out, benchJson(state, messages, failures));
    return failures > 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// volumes, usb, clusters
// ---------------------------------------------------------------------------------------
int runVolumes(CliContext& context, const ParsedArguments& args) {
    requireNoOperands(args, "volumes");
    const std::vector<std::string> names = tools::readVolumeNames(context.platform);
    if (context.json) {
        ordered_json answer = jsonAnswer();
        answer["volumes"] = names;
        writeJson(context.out, answer);
    } else {
        for (const std::string& name : names) context.out << visibleText(name) << "\n";
    }
    return 0;
}

int runUsb(CliContext& context, const ParsedArguments& args) {
    requireNoOperands(args, "usb");
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
        ordered_json answer = jsonAnswer();
        answer["lines"] = lines;
        if (!error.empty()) answer["error"] = jsonError("usb_report_failed", error);
        writeJson(context.out, answer);
    } else if (!error.empty()) {
        context.err << "zorvane-cli usb: " << visibleText(error) << "\n";
    }
    return error.empty() ? 0 : 1;
}

ordered_json clustersJson(const std::vector<tools::ClusterFiguresRow>& rows) {
    ordered_json drives = ordered_json::array();
    for (const tools::ClusterFiguresRow& row : rows) {
        ordered_json r = ordered_json::object();
        r[snakeCase(tools::kClusterFiguresCaptions[0])] = row.Drive;
        for (size_t i = 0; i < row.SubItems.size(); ++i) {
            const std::string key = snakeCase(tools::kClusterFiguresCaptions[i + 1]);
            r[key] = row.SubItems[i];
            // A drive that cannot answer shows four empty texts: its figures are unknown.
            r[key + "_value"] = row.SubItems[i].empty() ? ordered_json(nullptr) : ordered_json(row.counts[i]);
        }
        drives.push_back(std::move(r));
    }
    ordered_json answer = jsonAnswer();
    answer["drives"] = std::move(drives);
    return answer;
}

int runClusters(CliContext& context, const ParsedArguments& args) {
    requireNoOperands(args, "clusters");
    const auto rows = tools::readAllClusterFigures(context.platform);
    if (context.json) {
        writeJson(context.out, clustersJson(rows));
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
    "chkdsk", "X:",
    "Checks the file system of drive X with the volume's own checker and prints the log as the\n"
    "Check Disk window writes it; a progress line is redrawn on standard error when it is a\n"
    "terminal. A volume that is not mounted keeps its letter (\"Not mounted\"). Status 3 tells\n"
    "that the check ran and found problems.\n",
    {
        {"fix", 0, nullptr, "correct errors (needs the volume for itself: unmounted)"},
        {"unmount", 0, nullptr,
         "with --fix: unmount the volume, check and fix it, mount it again where\n"
         "it was; asks first, naming what is mounted where"},
        {"yes", 0, nullptr, "with --unmount: do not ask"},
        {"verbose", 0, nullptr, "list every file the checker looks at"},
        {"dirty-only", 0, nullptr, "check only when the volume is marked as not clean"},
        {"scan", 0, nullptr, "also read the whole volume for bad blocks"},
    },
    runChkdsk};

const CliCommand kBenchCommand = {
    "bench", "[X: ...]",
    "Times reading a temporary file on the drives given, or without drive letters on every\n"
    "local (default) and/or removable drive. The file\n"
    "(10 MiB unless --size; whole 64 KiB blocks) is written in full, flushed and read back\n"
    "bypassing the system's cache where the file system allows it; it is deleted afterwards.\n"
    "With --runs N the best of N reads is the speed and the mean is noted. A volume whose\n"
    "reads may still come from a cache (FUSE, network, a loop device on a cached file) says so.\n"
    "Status 1 when a drive could not be tested.\n",
    {
        {"local", 0, nullptr, "test the local drives (the default)"},
        {"removable", 0, nullptr, "test the removable drives"},
        {"size", 0, "BYTES", "size of the file, 1 to 68719476736 bytes"},
        {"runs", 0, "N", "read the file N times, 1 to 1000"},
    },
    runBench};

const CliCommand kVolumesCommand = {"volumes", "",
                                    "Lists the system's volume names (\\\\?\\Volume{...}\\), one per line.\n",
                                    {},
                                    runVolumes};

const CliCommand kUsbCommand = {"usb", "",
                                "Reports the disk drives and the details of every USB disk. Status 1 when\n"
                                "the disk drives cannot be queried.\n",
                                {},
                                runUsb};

const CliCommand kClustersCommand = {"clusters", "",
                                     "Lists sectors per cluster, bytes per sector, free and total clusters of\n"
                                     "every logical drive.\n",
                                     {},
                                     runClusters};

}  // namespace zv::cli
