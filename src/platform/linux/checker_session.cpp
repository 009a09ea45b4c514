#include "platform/linux/checker_session.h"

#include "platform/linux/checker_process.h"
#include "platform/linux/fuse_daemon_mounts.h"
#include "platform/linux/mount_table.h"

#include <blkid.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace zv::lnx {

using namespace zv::win;

namespace {

class CallbackReporter {
public:
    explicit CallbackReporter(platform::FmifsCallback callback) : m_callback(callback) {}

    bool line(const std::string& text) {
        platform::TEXTOUTPUT output;
        output.Lines = 1;
        output.Output = text.c_str();
        return m_callback(platform::FMIFS_OUTPUT, 0, &output) != 0;
    }
    bool progress(int percent) {
        if (percent == m_lastPercent) return true;
        m_lastPercent = percent;
        return sendProgress();
    }
    // The last percentage once more: the receiver gets a turn (and can ask to stop) while
    // the checker says nothing.
    bool tick() { return m_lastPercent < 0 || sendProgress(); }
    void done(bool success) {
        BOOLEAN flag = success ? 1 : 0;
        m_callback(platform::FMIFS_DONE, 0, &flag);
    }
    // A check that could not run: one line saying why, then "done" without success.
    void refuse(const std::string& why) {
        line(why);
        done(false);
    }

private:
    bool sendProgress() {
        DWORD value = static_cast<DWORD>(m_lastPercent);
        return m_callback(platform::FMIFS_PROGRESS, 0, &value) != 0;
    }

    platform::FmifsCallback m_callback;
    int m_lastPercent = -1;
};

std::string commandText(const std::string& program, const std::vector<std::string>& arguments) {
    std::string text = program;
    for (const std::string& argument : arguments) text += " " + argument;
    return text;
}

std::string canonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

// Where `devNode` is mounted, by its mount source or its device number (btrfs and FUSE
// mounts carry a device number of their own); the first mount when several.
void findMount(const std::string& devNode, CheckerOptions& options) {
    struct stat device {};
    const bool isDevice = ::stat(devNode.c_str(), &device) == 0 && S_ISBLK(device.st_mode);
    const std::string node = canonicalPath(devNode);
    for (const MountEntry& entry : readMountTable("/proc/self/mountinfo")) {
        const bool sameSource = !entry.source.empty() && entry.source[0] == '/' && canonicalPath(entry.source) == node;
        const bool sameNumber =
            isDevice && entry.major == major(device.st_rdev) && entry.minor == minor(device.st_rdev);
        if (!sameSource && !sameNumber) continue;
        options.mountPoint = entry.target;
        options.mountedReadWrite = !entry.readOnly;
        if (options.mountedReadWrite) return;  // a read-write mount decides
    }
}

// A FUSE daemon (fusefat, exFAT through FUSE) mounts the device without naming it in the
// mount table: the daemon holding the device open and taking the mount point on its command
// line tells where it is mounted. Empty when no program holds the device; otherwise the
// programs that do, by name.
std::string findFuseMount(const std::string& devNode, CheckerOptions& options) {
    const std::vector<DeviceHolder> holders = deviceHolders(devNode);
    if (holders.empty()) return {};
    const std::vector<MountEntry> mounts = readMountTable("/proc/self/mountinfo");
    if (const MountEntry* entry = fuseMountOfHolders(mounts, holders)) {
        options.mountPoint = entry->target;
        options.mountedReadWrite = !entry->readOnly;
    }
    std::string names;
    for (const DeviceHolder& holder : holders)
        names += (names.empty() ? "" : ", ") + holder.name + " (process " + std::to_string(holder.pid) + ")";
    return names;
}

// How the session ends for each finding: problems found end without the "done" message,
// so no success or failure line follows their report.
void finish(CallbackReporter& report, const CheckerVerdict& verdict) {
    if (verdict.finding == CheckerFinding::Clean) report.progress(100);
    report.line(verdict.line);
    if (verdict.finding == CheckerFinding::Problems || verdict.finding == CheckerFinding::Corrected) return;
    report.done(verdict.finding == CheckerFinding::Clean);
}

}  // namespace

std::string probeFsType(const std::string& devNode) {
    blkid_probe probe = blkid_new_probe_from_filename(devNode.c_str());
    if (probe == nullptr) return {};
    std::string type;
    blkid_probe_enable_superblocks(probe, 1);
    blkid_probe_set_superblocks_flags(probe, BLKID_SUBLKS_TYPE);
    const char* value = nullptr;
    if (blkid_do_safeprobe(probe) == 0 && blkid_probe_lookup_value(probe, "TYPE", &value, nullptr) == 0 && value)
        type = value;
    blkid_free_probe(probe);
    return type;
}

void runCheckSession(const std::string& devNode, const std::string& fsType, const CheckerOptions& options,
                     platform::FmifsCallback callback) {
    if (callback == nullptr) return;
    CallbackReporter report(callback);
    CheckerOptions volume = options;
    findMount(devNode, volume);
    const std::string holders = volume.mountPoint.empty() ? findFuseMount(devNode, volume) : std::string();
    if (volume.fix && !volume.mountPoint.empty()) {
        report.refuse(devNode + " is mounted on " + volume.mountPoint +
                      ": it can be fixed only while it is not mounted. Unmount it and check again.");
        return;
    }
    if (volume.fix && !holders.empty()) {
        report.refuse(devNode + " is open in " + holders +
                      ": it can be fixed only while no program uses it. End that program and check again.");
        return;
    }
    const auto command = checkerFor(fsType, volume);
    if (!command) {
        report.refuse("There is no checker for the file system " + (fsType.empty() ? std::string("of ") + devNode : fsType) +
                      " on this machine.");
        return;
    }
    const std::string program = findExecutable(command->program);
    if (program.empty()) {
        report.refuse("The checker " + command->program + " is not installed (Debian package " + command->package +
                      ").");
        return;
    }
    if (::access(devNode.c_str(), R_OK | (options.fix ? W_OK : 0)) != 0) {
        report.refuse(std::string("Checking ") + devNode + " needs the right to " +
                      (options.fix ? "read and write" : "read") +
                      " the device: run Zorvane as root or as a member of the disk group.");
        return;
    }

    std::vector<std::string> arguments = command->arguments;
    if (command->progressDescriptor) {
        arguments.push_back("-C");
        arguments.push_back("{progress}");
    }
    arguments.push_back(command->operand.empty() ? devNode : command->operand);

    bool stop = false;
    for (const std::string& remark : command->remarks) stop = stop || !report.line(remark);
    if (!command->refusal.empty()) {
        report.refuse(command->refusal);
        return;
    }
    stop = stop || !report.line("Running " + commandText(command->program, argumentsAsRun(arguments)));
    stop = stop || !report.progress(0);
    if (stop) {
        report.line("The check was stopped before it started.");
        report.done(false);
        return;
    }

    std::vector<std::string> output;
    const CheckerRun run = runCheckerProcess(
        program, arguments, command->progressDescriptor,
        [&](const std::string& line) {
            output.push_back(line);
            return report.line(line);
        },
        [&](const std::string& line) {
            const auto percent = e2fsckProgressPercent(line);
            return percent ? report.progress(*percent) : true;
        },
        [&]() { return report.tick(); });
    if (!run.started || run.exitStatus == 127) {
        report.refuse("The checker " + command->program + " could not be started: " +
                      (run.startError.empty() ? std::string("unknown failure") : run.startError) + ".");
        return;
    }
    finish(report, verdictOf(*command, volume, run.exitStatus, run.stopped, output));
}

}  // namespace zv::lnx
