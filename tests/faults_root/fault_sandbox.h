// A private world for one fault case: its own folder under /tmp/zv-faults-<pid>, a private
// HOME and runtime folder, the built zorvane-cli run as a child in a clean environment, and
// a list of undo steps (mounts, loop devices, stopped daemons) that the destructor carries
// out in reverse order, whatever happened in between. Leftovers of an earlier run that died
// are swept away before a new one starts.
#pragma once

#include "child_process.h"
#include "linux_root/scratch_mounts.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zv::faulttest {

// Why the fault cases cannot run here ("" when they can).
std::string rootUnavailableReason();
// Whether a command is installed; the reason to skip when it is not.
std::string missingTool(const std::string& command, const std::string& package);

using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

struct CliRun {
    CliRun(std::vector<std::string> args, std::chrono::milliseconds limit = std::chrono::seconds(10),
           std::optional<uid_t> uid = std::nullopt, EnvironmentChanges environment = {}, std::string label = {})
        : args(std::move(args)), limit(limit), uid(uid), environment(std::move(environment)), label(std::move(label)) {}

    std::vector<std::string> args;
    std::chrono::milliseconds limit;
    std::optional<uid_t> uid;  // another user (its group is the same number)
    // Variables to set ("NAME" -> value) or to remove (nullopt) from the case's environment.
    EnvironmentChanges environment;
    std::string label;  // names the output files; the arguments when empty
};

class FaultSandbox {
public:
    explicit FaultSandbox(const std::string& caseName);
    ~FaultSandbox();
    FaultSandbox(const FaultSandbox&) = delete;
    FaultSandbox& operator=(const FaultSandbox&) = delete;

    const std::string& base() const { return m_base; }
    const std::string& home() const { return m_home; }
    const std::string& runtime() const { return m_runtime; }  // the value of XDG_RUNTIME_DIR
    std::string configDir() const { return m_home + "/.config/zorvane"; }
    std::string lettersPath() const { return configDir() + "/letters"; }
    std::string registryPath() const { return configDir() + "/registry"; }
    std::string startupPath() const { return configDir() + "/autoexec.bat"; }
    std::string substitutesPath() const { return m_runtime + "/zorvane/substitutes"; }

    // Loop images, tmpfs and sshfs mounts below this case's folder.
    lnx::roottest::ScratchMounts& mounts() { return *m_mounts; }
    // A tmpfs of `mebibytes` at `point` (made when missing), mode 0700, unmounted at the end.
    bool mountTmpfs(const std::string& point, unsigned mebibytes, std::string* why);
    // Runs `undo` when the case ends, after every step added later.
    void atCleanup(std::function<void()> undo);

    ChildSpec cliSpec(const CliRun& run);
    ChildOutcome cli(const CliRun& run);
    // Two numbers no user of this machine has, for this run: a victim and another user.
    uid_t victimUid() const { return m_victimUid; }
    uid_t otherUid() const { return m_victimUid + 1; }

private:
    std::vector<std::string> environment(const CliRun& run);
    std::string cliForOtherUsers();

    std::string m_base, m_home, m_runtime;
    std::string m_sharedCli;  // a copy that other users may run
    std::unique_ptr<lnx::roottest::ScratchMounts> m_mounts;
    std::vector<std::function<void()>> m_undo;
    uid_t m_victimUid = 0;
    int m_runs = 0;
};

// The rows of `zorvane-cli list` by drive letter (fields split at tabs); the header is left out.
std::map<char, std::vector<std::string>> listRows(const std::string& listOutput);
// The file's bytes, or nullopt when it cannot be read as a file.
std::optional<std::string> fileBytes(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// Whether some line of `text` names `path` (the file a message is about).
bool mentions(const std::string& text, const std::string& path);
// Lines of `text` that occur more than once (a message said twice).
std::vector<std::string> repeatedLines(const std::string& text);

}  // namespace zv::faulttest
