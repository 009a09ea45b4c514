// Shell launches on the real machine: the Windows shell's verbs, system programs and
// automation methods stood in for by what a Linux desktop offers (xdg-open, the desktop's
// search tool, wmctrl, the file systems' defragmenters, Deja Dup, udisksctl, GNOME Disks),
// with a message that names the package to install where a tool is missing.
#include "platform/linux/desktop_open.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/volume_facts.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zv::lnx {

// ---------------------------------------------------------------------------------------
// Programs
// ---------------------------------------------------------------------------------------

std::string findProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(start, end - start);
        if (!folder.empty()) {
            const std::string candidate = folder + "/" + name;
            struct stat info {};
            if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        start = end + 1;
    }
    return {};
}

namespace {

// argv as the exec call wants it; built before fork, so that the child only calls
// async-signal-safe functions.
struct ExecArguments {
    explicit ExecArguments(const std::vector<std::string>& argv) : strings(argv) {
        for (auto& text : strings) pointers.push_back(text.data());
        pointers.push_back(nullptr);
    }
    std::vector<std::string> strings;
    std::vector<char*> pointers;
};

void redirectStandardInput() {
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) {
        ::dup2(null, 0);
        if (null > 2) ::close(null);
    }
}

}  // namespace

int runTool(const std::vector<std::string>& argv, std::string* output, int timeoutMs) {
    if (argv.empty()) return -1;
    ExecArguments exec(argv);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return -1;
    }
    if (child == 0) {
        redirectStandardInput();
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::execvp(exec.pointers[0], exec.pointers.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string collected;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool timedOut = false;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd poller{pipeFds[0], POLLIN, 0};
        const int ready = ::poll(&poller, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) {
            timedOut = ready == 0;
            break;
        }
        char buffer[4096];
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        collected.append(buffer, static_cast<size_t>(got));
    }
    ::close(pipeFds[0]);
    if (timedOut) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (output) *output = collected;
    if (timedOut || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

bool startProgram(const std::vector<std::string>& argv) {
    if (argv.empty()) return false;
    ExecArguments exec(argv);
    // The grandchild reports a failed exec through this pipe; a successful exec closes it.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
        redirectStandardInput();
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::dup2(null, 2);
        }
        ::execvp(exec.pointers[0], exec.pointers.data());
        const int error = errno;
        ssize_t ignored = ::write(report[1], &error, sizeof error);
        (void)ignored;
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

namespace {

// ShellExecute's failure values (at most 32).
constexpr int64_t SE_ERR_FNF = 2;
constexpr int64_t SE_ERR_PNF = 3;
constexpr int64_t SE_ERR_NOASSOC = 31;
constexpr int64_t kLaunched = 42;

bool isWebAddress(const std::string& file) {
    const std::string lower = lowerCase(file);
    return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 || lower.rfind("file://", 0) == 0 ||
           lower.rfind("mailto:", 0) == 0;
}

bool isDrivePath(const std::string& file) {
    return file.size() >= 2 && std::isalpha(static_cast<unsigned char>(file[0])) && file[1] == ':';
}

// Whether a disk hangs off a USB bus: its sysfs directory lies below a USB device.
bool isUsbDisk(const LetterEntry& entry) {
    if (entry.device) {
        const std::string& dir = entry.device->diskSysfsDir;
        if (dir.find("/usb") != std::string::npos) return true;
    }
    return entry.target.sysfsDisk.find("/usb") != std::string::npos;
}

class LinuxShell final : public platform::IShell {
public:
    explicit LinuxShell(LinuxContext& ctx) : m_ctx(ctx) {}

    int64_t ShellExecuteA(HWND, const char* operation, const char* file, const char* parameters, const char*,
                          int) override {
        if (!file || !*file) return SE_ERR_FNF;
        const std::string target = file;
        const std::string lower = lowerCase(target);
        const std::string verb = operation ? lowerCase(operation) : std::string();
        if (lower == "dfrg.msc") return defragment();
        if (lower == "ntbackup" || lower == "ntbackup.exe") return backup();
        if (lower.size() >= 12 && lower.compare(lower.size() - 12, 12, "rundll32.exe") == 0 && parameters &&
            lowerCase(parameters).find("shformatdrive") != std::string::npos)
            return formatDisk();
        if (isWebAddress(target)) return open(target);
        if (isDrivePath(target)) {
            const auto folder = hostPathFor(m_ctx, target);
            if (!folder) {
                tell("Zorvane", "Drive " + target.substr(0, 2) + " has no folder to open: it is not mounted.");
                return SE_ERR_PNF;
            }
            return open(*folder);
        }
        if (target.front() == '/')
            return accessPath(m_ctx, target, F_OK, guardOf(m_ctx, target)) == 0 ? open(target) : SE_ERR_FNF;
        (void)verb;
        // A program by name, with its parameters as one argument list.
        if (findProgram(target).empty()) return SE_ERR_FNF;
        std::vector<std::string> argv{target};
        if (parameters && *parameters) argv.push_back(parameters);
        return startProgram(argv) ? kLaunched : SE_ERR_FNF;
    }

    BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) override {
        if (!info || info->cbSize != 60) {
            m_ctx.setLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const std::string verb = info->lpVerb ? lowerCase(info->lpVerb) : std::string();
        const std::string file = info->lpFile ? info->lpFile : "";
        if (verb == "properties" && isDrivePath(file)) {
            if (!m_ctx.dialogs) {
                m_ctx.setLastError(ERROR_NOT_SUPPORTED);
                return FALSE;
            }
            m_ctx.dialogs->showDriveProperties(static_cast<char>(std::toupper(static_cast<unsigned char>(file[0]))));
            return TRUE;
        }
        const int64_t result = ShellExecuteA(info->hwnd, info->lpVerb, info->lpFile, info->lpParameters,
                                             info->lpDirectory, info->nShow);
        info->hInstApp = static_cast<uint64_t>(result);
        if (result > 32) return TRUE;
        m_ctx.setLastError(result == SE_ERR_PNF ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }

    UINT WinExec(const char* cmdLine, UINT) override {
        if (!cmdLine || !*cmdLine) return 2;
        const std::string line = cmdLine;
        if (lowerCase(line).find("hotplug.dll") != std::string::npos) return removeUsbDrive();
        std::vector<std::string> argv;
        size_t start = 0;
        while (start < line.size()) {
            const size_t end = std::min(line.find(' ', start), line.size());
            if (end > start) argv.push_back(line.substr(start, end - start));
            start = end + 1;
        }
        if (argv.empty() || findProgram(argv.front()).empty()) return 2;  // ERROR_FILE_NOT_FOUND
        return startProgram(argv) ? 33 : 2;
    }

    BOOL BrowseForFolderA(HWND, const char* title, DWORD, std::string* path) override {
        if (!m_ctx.dialogs) {
            m_ctx.setLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        return m_ctx.dialogs->browseForFolder(title ? title : "", path) ? TRUE : FALSE;
    }

    HRESULT AutomationCall(const char* progId, const char* method, std::string* errorText) override {
        const auto fail = [errorText](HRESULT code, const std::string& text) {
            if (errorText) *errorText = text;
            return code;
        };
        if (!progId || lowerCase(progId) != "shell.application") return fail(REGDB_E_CLASSNOTREG, "Class not registered");
        const std::string name = method ? lowerCase(method) : std::string();
        if (name == "findfiles") return findFiles(errorText);
        if (name == "minimizeall") return minimizeAll();
        return fail(DISP_E_UNKNOWNNAME, "Unknown name");
    }

    DWORD mciSendStringA(const char* command, char* ret, UINT len, HWND) override {
        return linuxMciSendString(m_ctx, command, ret, len);
    }
    DWORD mciSendCommandA(MCIDEVICEID device, UINT message, DWORD flags, void* params) override {
        return linuxMciSendCommand(m_ctx, device, message, flags, params);
    }

private:
    void tell(const std::string& title, const std::string& text) {
        if (m_ctx.dialogs) m_ctx.dialogs->showMessage(title, text);
    }

    int64_t open(const std::string& what) {
        const std::string failure = openWithDesktop(what);
        if (failure.empty()) return kLaunched;
        tell("Zorvane", failure);
        return SE_ERR_NOASSOC;
    }

    // The drive selected in the main window, with its letter-table entry.
    const LetterEntry* selectedEntry(const std::string& title, char* letter) {
        *letter = m_ctx.dialogs ? m_ctx.dialogs->selectedDrive() : 0;
        if (*letter == 0) {
            tell(title, "Select a drive in the list first.");
            return nullptr;
        }
        const LetterEntry* entry = letterEntry(m_ctx, *letter);
        if (!entry) tell(title, std::string("Drive ") + *letter + ": does not exist any more.");
        return entry;
    }

    int64_t defragment() {
        const std::string title = "Defrag";
        char letter = 0;
        const LetterEntry* entry = selectedEntry(title, &letter);
        if (!entry) return SE_ERR_FNF;
        const std::string drive = std::string(1, letter) + ":";
        const std::string folder = entry->target.mountPoint;
        // A FUSE mount (ntfs-3g) names its driver; the volume's own type tells the file system.
        std::string fsType = entry->target.fsType;
        if (fsType.empty() || fsType.rfind("fuse", 0) == 0) fsType = entry->identity.type;
        if (folder.empty()) {
            tell(title, "Drive " + drive + " is not mounted, so it cannot be defragmented.");
            return SE_ERR_PNF;
        }
        std::vector<std::string> command;
        std::string package;
        if (fsType == "ext4") {
            command = {"e4defrag", "-v", folder};
            package = "e2fsprogs";
        } else if (fsType == "xfs") {
            command = {"xfs_fsr", "-v", folder};
            package = "xfsprogs";
        } else if (fsType == "btrfs") {
            command = {"btrfs", "filesystem", "defragment", "-r", "-v", folder};
            package = "btrfs-progs";
        } else {
            tell(title, "Drive " + drive + " holds a " + (fsType.empty() ? std::string("file system") : fsType) +
                            " file system, which has no defragmenter on Linux. ext4, XFS and Btrfs can be defragmented.");
            return SE_ERR_NOASSOC;
        }
        if (findProgram(command.front()).empty()) {
            tell(title, "The defragmenter " + command.front() + " is missing. Install the package " + package + ".");
            return SE_ERR_FNF;
        }
        if (!m_ctx.dialogs || !m_ctx.dialogs->confirm(title, "Defragment drive " + drive + " (" + folder + ") with " +
                                                                 command.front() + "? This can take a long time."))
            return kLaunched;
        return runInTerminal(title, command) ? kLaunched : SE_ERR_FNF;
    }

    // Runs a long tool where the user can watch it: in a terminal window when there is a
    // desktop with one, else on its own.
    bool runInTerminal(const std::string& title, const std::vector<std::string>& command) {
        const char* x11 = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        const bool desktop = (x11 && *x11) || (wayland && *wayland);
        if (desktop && !findProgram("x-terminal-emulator").empty()) {
            std::vector<std::string> argv{"x-terminal-emulator", "-e", "sh", "-c",
                                          "\"$@\"; echo; printf 'Press Enter to close. '; read answer", "sh"};
            argv.insert(argv.end(), command.begin(), command.end());
            if (startProgram(argv)) return true;
        }
        if (!startProgram(command)) {
            tell(title, command.front() + " could not be started.");
            return false;
        }
        tell(title, command.front() + " has been started; it works in the background.");
        return true;
    }

    int64_t backup() {
        if (findProgram("deja-dup").empty()) {
            tell("NT Backup", "No backup program is installed. Install Deja Dup: the package deja-dup.");
            return SE_ERR_FNF;
        }
        return startProgram({"deja-dup"}) ? kLaunched : SE_ERR_FNF;
    }

    int64_t formatDisk() {
        // GNOME Disks asks for its own confirmation before it formats anything.
        if (findProgram("gnome-disks").empty()) {
            tell("Format Disk", "No disk formatter is installed. Install GNOME Disks: the package gnome-disk-utility.");
            return SE_ERR_FNF;
        }
        std::vector<std::string> argv{"gnome-disks"};
        const char letter = m_ctx.dialogs ? m_ctx.dialogs->selectedDrive() : 0;
        if (letter != 0)
            if (const LetterEntry* entry = letterEntry(m_ctx, letter); entry && !entry->target.devNode.empty())
                argv.insert(argv.end(), {"--block-device", entry->target.devNode});
        return startProgram(argv) ? kLaunched : SE_ERR_FNF;
    }

    UINT removeUsbDrive() {
        const std::string title = "Remove USB Drive";
        char letter = 0;
        const LetterEntry* entry = selectedEntry(title, &letter);
        if (!entry) return 2;
        const std::string drive = std::string(1, letter) + ":";
        const std::string disk = entry->target.diskNode;
        if (disk.empty() || !isUsbDisk(*entry)) {
            tell(title, "Drive " + drive + " is no USB drive.");
            return 2;
        }
        if (findProgram("udisksctl").empty()) {
            tell(title, "udisksctl is missing. Install the package udisks2 to remove USB drives safely.");
            return 2;
        }
        if (!m_ctx.dialogs ||
            !m_ctx.dialogs->confirm(title, "Remove the USB drive of " + drive + " (" + disk +
                                               ")? Its volumes are unmounted and the drive is switched off."))
            return 33;
        for (const MountEntry& mount : currentMounts(m_ctx)) {
            if (mount.source.rfind(disk, 0) != 0) continue;
            std::string output;
            if (runTool({"udisksctl", "unmount", "-b", mount.source}, &output, 60000) != 0) {
                tell(title, "Drive " + drive + " cannot be removed: " + output);
                return 33;
            }
        }
        std::string output;
        if (runTool({"udisksctl", "power-off", "-b", disk}, &output, 60000) != 0) {
            tell(title, "Drive " + drive + " cannot be removed: " + output);
            return 33;
        }
        invalidateLetters(m_ctx);
        tell(title, "The USB drive of " + drive + " can now be removed safely.");
        return 33;
    }

    HRESULT findFiles(std::string* errorText) {
        for (const char* tool : {"catfish", "gnome-search-tool", "kfind", "fsearch", "searchmonkey"})
            if (!findProgram(tool).empty() && startProgram({tool})) return S_OK;
        if (errorText)
            *errorText = "No file search tool is installed. Install one of the packages catfish, kfind or fsearch";
        return E_FAIL;
    }

    HRESULT minimizeAll() {
        // The window manager shows the desktop where it offers that (EWMH); otherwise the
        // program's own windows are minimized.
        const char* display = std::getenv("DISPLAY");
        if (display && *display && !findProgram("wmctrl").empty() && runTool({"wmctrl", "-k", "on"}, nullptr, 5000) == 0)
            return S_OK;
        if (m_ctx.dialogs) m_ctx.dialogs->minimizeOwnWindows();
        return S_OK;
    }

    LinuxContext& m_ctx;
};

}  // namespace

std::unique_ptr<platform::IShell> makeLinuxShell(LinuxContext& ctx) { return std::make_unique<LinuxShell>(ctx); }

}  // namespace zv::lnx
