// State shared by the parts of the Linux backend: options (system root, folders), the letter
// table, the handle table, the last error and the system-call seam.
#pragma once

#include "platform/api/platform.h"
#include "platform/linux/private_folder.h"
#include "platform/linux/sys_seam.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zv::lnx {

using namespace zv::win;

struct LinuxOptions {
    // Root under which /sys, /proc, /dev, /run and /etc are read ("/" on the real machine;
    // a recorded tree in tests).
    std::string sysRoot = "/";
    // Per-login folder for the substitute table ($XDG_RUNTIME_DIR/zorvane).
    std::string runtimeDir;
    // Per-user folder for the registry store and the remembered letters
    // ($XDG_CONFIG_HOME/zorvane, else ~/.config/zorvane).
    std::string configDir;
    SysSeam* seam = nullptr;  // null: the real system calls
    // Time limit of a query that can hang on a dead network mount.
    int networkTimeoutMs = 2000;
};

// What a drive letter stands for on this machine.
struct DriveTarget {
    char letter = 0;
    UINT driveType = DRIVE_NO_ROOT_DIR;
    std::string mountPoint;    // "" when not mounted (empty optical/removable drive)
    std::string source;        // mount source ("/dev/sdb1", "server:/export", "//host/share")
    std::string fsType;        // Linux file-system type as mounted ("ext4", "fuseblk", "nfs4")
    std::string devNode;       // block device node of the volume ("/dev/sdb1"), "" when none
    std::string diskNode;      // its whole disk ("/dev/sdb"); for a whole-disk volume the same
    std::string sysfsDevice;   // sysfs directory of devNode (under the system root)
    std::string sysfsDisk;     // sysfs directory of the whole disk
    int partitionNumber = 0;   // 0 for a whole disk
    bool substitute = false;   // a substitute letter: substPath is its folder
    std::string substPath;
    bool network = false;
    bool networkUnavailable = false;  // server does not answer / remembered only
    std::string remoteName;           // UNC form (\\server\share)
};

enum class HandleKind { File, Device, PhysicalDisk, VolumeSearch, Token };

struct HandleEntry {
    HandleKind kind = HandleKind::File;
    int fd = -1;                       // -1 when the device could not be opened for I/O
    std::string path;                  // path as given by the logic
    std::string node;                  // device node or host file path
    DWORD access = 0;
    DWORD share = 0;
    DWORD flags = 0;
    std::optional<DriveTarget> target; // letter devices
    int physicalDrive = -1;
    std::vector<std::string> searchItems;  // volume search
    size_t searchIndex = 0;
};

class LinuxContext {
public:
    explicit LinuxContext(LinuxOptions options);
    ~LinuxContext();

    const LinuxOptions& options() const { return m_options; }
    SysSeam& seam() { return *m_options.seam; }
    // An absolute system path ("/sys/block") under the system root.
    std::string sysPath(const std::string& absolute) const;

    // The checked folders for Zorvane's own files (private_folder.h): runtimeDir and
    // configDir when they are safe to use, else a private folder for this run. "" when the
    // folder does not exist yet and `create` is false, or when there is none.
    std::string runtimeFolder(bool create) { return m_runtimeFolder.path(create); }
    std::string configFolder(bool create) { return m_configFolder.path(create); }

    // The letter table, rebuilt when the mount table changed.
    std::optional<DriveTarget> target(char letter);
    std::vector<DriveTarget> targets();

    // Whole disks in a stable order: index = N of "\\.\PhysicalDriveN". Each entry is the
    // kernel name ("sda", "nvme0n1").
    std::vector<std::string> wholeDisks();

    HANDLE addHandle(HandleEntry entry);
    HandleEntry* handle(HANDLE h);
    bool removeHandle(HANDLE h);

    void setLastError(DWORD error) { m_lastError = error; }
    DWORD lastError() const { return m_lastError; }

    // The hook through which the window program shows dialogs; null on the command line.
    platform::IDesktopDialogs* dialogs = nullptr;

    // The letter table's implementation (drive_letters.cpp) keeps its state here.
    struct LetterState;
    LetterState& letters();
    // Verdicts of the deadline-bound volume queries (remote_probe.cpp).
    struct ProbeState;
    ProbeState& probes();

private:
    LinuxOptions m_options;
    PrivateFolder m_runtimeFolder;
    PrivateFolder m_configFolder;
    DWORD m_lastError = 0;
    std::map<HANDLE, HandleEntry> m_handles;
    HANDLE m_nextHandle = 1;
    std::unique_ptr<LetterState> m_letters;
    std::unique_ptr<ProbeState> m_probes;
};

// errno -> Win32 error code, in one table (errno_map.cpp).
DWORD win32ErrorFromErrno(int error);

}  // namespace zv::lnx
