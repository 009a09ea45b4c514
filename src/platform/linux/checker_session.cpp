#include "platform/linux/checker_session.h"

#include "platform/linux/checker_process.h"

#include <blkid.h>
#include <unistd.h>

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
        DWORD value = static_cast<DWORD>(percent);
        return m_callback(platform::FMIFS_PROGRESS, 0, &value) != 0;
    }
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
    platform::FmifsCallback m_callback;
    int m_lastPercent = -1;
};

std::string commandText(const std::string& program, const std::vector<std::string>& arguments) {
    std::string text = program;
    for (const std::string& argument : arguments) text += " " + argument;
    return text;
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
    const auto command = checkerFor(fsType, options);
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
    arguments.push_back(devNode);

    bool stop = false;
    for (const std::string& remark : command->remarks) stop = stop || !report.line(remark);
    stop = stop || !report.line("Running " + commandText(command->program, arguments));
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
        });
    if (!run.started || run.exitStatus == 127) {
        report.refuse("The checker " + command->program + " could not be started: " +
                      (run.startError.empty() ? std::string("unknown failure") : run.startError) + ".");
        return;
    }
    const CheckerVerdict verdict = verdictOf(*command, options, run.exitStatus, run.stopped, output);
    if (verdict.success) report.progress(100);
    report.line(verdict.line);
    report.done(verdict.success);
}

}  // namespace zv::lnx
