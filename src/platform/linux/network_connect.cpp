// Mapping and disconnecting network drives on the real machine. A remote is mounted with the
// tool that fits it and the user: as root the kernel's clients (mount.cifs, mount.nfs) and
// sshfs; as an ordinary user sshfs for SSH remotes (FUSE needs no privilege) and the
// desktop's GIO mounts for SMB and NFS shares, whose folder then gets the letter as a
// substitute. The letter table gives a new mount the letter it was made for.
#include "platform/linux/drive_letters.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/remote_names.h"
#include "platform/linux/substitutes.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/volume_facts.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

constexpr int kMountTimeoutMs = 60000;

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool makeFolders(const std::string& path) {
    std::string built;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        built = path.substr(0, end);
        if (!built.empty() && ::mkdir(built.c_str(), 0700) != 0 && errno != EEXIST) return false;
        start = end + 1;
    }
    return true;
}

std::string userRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return runtime;
    return "/run/user/" + std::to_string(::getuid());
}

// The folder a new mount goes to, created when missing.
std::string mountFolder(LinuxContext& ctx, char letter, std::string* message) {
    // The checked runtime folder (private_folder.h): never a folder another user prepared.
    std::string base = ctx.runtimeFolder(true);
    if (base.empty()) {
        if (message) *message = "Zorvane has no private folder for the mount point (see the message above).";
        return {};
    }
    const std::string folder = base + "/network/" + (letter ? std::string(1, letter) : std::string("share"));
    if (!makeFolders(folder)) {
        if (message) *message = "The folder " + folder + " cannot be created.";
        return {};
    }
    return folder;
}

std::string withoutLineEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

// sshfs ends its options at "--": what follows is the remote and the folder, whatever they
// look like.
std::vector<std::string> sshfsArguments(const Remote& remote, const std::string& folder) {
    std::vector<std::string> argv{"sshfs", "-o", "reconnect,ServerAliveInterval=15"};
    if (!remote.port.empty()) argv.insert(argv.end(), {"-p", remote.port});
    argv.insert(argv.end(), {"--", remote.source, folder});
    return argv;
}

// Runs a mount tool; NO_ERROR, or the tool's own message and a fitting error code.
DWORD runMountTool(const std::vector<std::string>& argv, const std::string& package, std::string* message) {
    if (findProgram(argv.front()).empty()) {
        if (message) *message = argv.front() + " is missing. Install the package " + package + ".";
        return ERROR_NOT_SUPPORTED;
    }
    std::string output;
    const int status = runTool(argv, &output, kMountTimeoutMs);
    if (status == 0) return NO_ERROR;
    if (message) {
        *message = withoutLineEnd(output);
        if (message->empty())
            *message = status < 0 ? argv.front() + " did not finish in time." : argv.front() + " failed.";
    }
    return ERROR_BAD_NET_NAME;
}

std::set<std::string> gvfsFolders(LinuxContext& ctx) {
    std::set<std::string> names;
    const std::string root = userRuntimeFolder() + "/gvfs";
    // The folder is the GIO daemon's FUSE mount: it is listed only when the daemon answers.
    if (accessPath(ctx, root, R_OK | X_OK, guardOf(ctx, root)) != 0) return names;
    if (DIR* dir = ::opendir(root.c_str())) {
        while (const dirent* item = ::readdir(dir))
            if (item->d_name[0] != '.') names.insert(root + "/" + item->d_name);
        ::closedir(dir);
    }
    return names;
}

DWORD mountAsUser(LinuxContext& ctx, const Remote& remote, char letter, std::string* message) {
    if (remote.kind == RemoteKind::Ssh) {
        const std::string folder = mountFolder(ctx, letter, message);
        if (folder.empty()) return ERROR_ACCESS_DENIED;
        return runMountTool(sshfsArguments(remote, folder), "sshfs", message);
    }
    // SMB and NFS shares through the desktop's GIO mounts; their folder appears under the
    // session's gvfs folder and takes the letter as a substitute.
    const std::set<std::string> before = gvfsFolders(ctx);
    const DWORD status = runMountTool({"gio", "mount", "--", remote.uri}, "gvfs-backends", message);
    if (status != NO_ERROR) return status;
    if (!letter) return NO_ERROR;
    std::string folder;
    for (const std::string& now : gvfsFolders(ctx))
        if (!before.count(now)) folder = now;
    if (folder.empty()) {
        if (message)
            *message = remote.uri + " is mounted, but its folder is not reachable: install the package gvfs-fuse so "
                       "that it can get a drive letter.";
        return ERROR_NOT_SUPPORTED;
    }
    if (!defineSubstitute(ctx, 0, letter, folder.c_str())) {
        if (message) *message = "Drive " + std::string(1, letter) + ": cannot be given to " + remote.uri + ".";
        return ctx.lastError();
    }
    return NO_ERROR;
}

DWORD mountAsRoot(LinuxContext& ctx, const Remote& remote, const char* userName, char letter, std::string* message) {
    const std::string folder = mountFolder(ctx, letter, message);
    if (folder.empty()) return ERROR_ACCESS_DENIED;
    // mount.cifs and mount.nfs take the remote first, before any option, and know no "--";
    // what they get starts with "//" or with a server name that was checked not to start
    // with "-".
    switch (remote.kind) {
    case RemoteKind::Smb: {
        const std::string credentials = userName && *userName ? std::string("user=") + userName : std::string("guest");
        return runMountTool({"mount.cifs", remote.source, folder, "-o", credentials}, "cifs-utils", message);
    }
    case RemoteKind::Ssh: {
        return runMountTool(sshfsArguments(remote, folder), "sshfs", message);
    }
    case RemoteKind::Nfs: return runMountTool({"mount.nfs", remote.source, folder}, "nfs-common", message);
    case RemoteKind::Unknown: break;
    }
    return ERROR_BAD_NET_NAME;
}

}  // namespace

DWORD linuxAddConnection(LinuxContext& ctx, const char* remoteName, const char* localName, const char* userName,
                         DWORD, std::string* message) {
    const std::string typed = remoteName ? remoteName : "";
    const Remote remote = parseRemote(typed);
    if (remote.kind == RemoteKind::Unknown) {
        if (message)
            *message = "\"" + typed + "\" is no network folder. Give it as \\\\server\\share, smb://server/share, "
                       "sftp://host/path, user@host:/path or host:/export.";
        return ERROR_BAD_NET_NAME;
    }
    const std::string user = userName ? userName : "";
    if (const std::string refusal = remoteRefusal(remote, typed, user); !refusal.empty()) {
        if (message) *message = refusal;
        return ERROR_BAD_NET_NAME;
    }
    const char letter = localName && *localName ? static_cast<char>(std::toupper(static_cast<unsigned char>(*localName))) : 0;
    return ::geteuid() == 0 ? mountAsRoot(ctx, remote, userName, letter, message)
                            : mountAsUser(ctx, remote, letter, message);
}

DWORD linuxCancelConnection(LinuxContext& ctx, const char* name, DWORD, BOOL force, std::string* message) {
    const std::string local = name ? name : "";
    if (local.size() < 2 || local[1] != ':' || !std::isalpha(static_cast<unsigned char>(local[0]))) {
        if (message) *message = "\"" + local + "\" is no drive letter.";
        return ERROR_BAD_DEVICE;
    }
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(local[0])));
    const LetterEntry* entry = letterEntry(ctx, letter);
    if (!entry) return ERROR_NOT_CONNECTED;
    const std::string gvfs = userRuntimeFolder() + "/gvfs/";
    if (entry->target.substitute && startsWith(entry->target.substPath, gvfs)) {
        // A GIO share: unmount it, then free its letter.
        const std::string folder = entry->target.substPath;
        const DWORD status = runMountTool({"gio", "mount", "-u", folder}, "libglib2.0-bin", message);
        if (status != NO_ERROR && !force) return status;
        defineSubstitute(ctx, DDD_REMOVE_DEFINITION, letter, nullptr);
        return NO_ERROR;
    }
    if (!entry->target.network || entry->target.mountPoint.empty()) return ERROR_NOT_CONNECTED;
    const std::string folder = entry->target.mountPoint;
    if (startsWith(entry->target.fsType, "fuse.")) {
        const std::string tool = findProgram("fusermount3").empty() ? "fusermount" : "fusermount3";
        return runMountTool({tool, force ? "-uz" : "-u", folder}, "fuse3", message);
    }
    std::vector<std::string> argv{"umount"};
    if (force) argv.push_back("-l");
    argv.push_back(folder);
    return runMountTool(argv, "mount", message);
}

}  // namespace zv::lnx
