// Files and devices. Device paths name a letter's block device ("\\.\X:") or a whole disk
// ("\\.\PhysicalDriveN"); file paths are mapped onto the letter's folder.
#include "common/utf.h"
#include "platform/api/pass_through.h"
#include "platform/linux/device_holders.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/linux_concerns.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/read_cache_layer.h"
#include "platform/linux/storage_property.h"
#include "platform/linux/startup_file.h"
#include "platform/linux/substitutes.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/volume_facts.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace zv::lnx {

namespace {

using platform::PassThroughLayout;

bool equalsNoCase(const std::string& a, const std::string& b) { return lowerCase(a) == lowerCase(b); }

std::string userHome() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (passwd* pw = ::getpwuid(::getuid())) return pw->pw_dir;
    return {};
}

class LinuxIo final : public platform::IIo {
public:
    explicit LinuxIo(LinuxContext& ctx) : m_ctx(ctx) {}

    HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                       DWORD flagsAndAttributes) override {
        if (!fileName || !*fileName) return fail(ERROR_PATH_NOT_FOUND);
        std::string name = fileName;
        if (name.rfind("\\\\.\\", 0) == 0) return openDevicePath(name.substr(4), desiredAccess, shareMode);
        std::optional<std::string> host = hostFile(name);
        if (!host) return fail(ERROR_PATH_NOT_FOUND);
        return openFile(name, *host, desiredAccess, creationDisposition, flagsAndAttributes);
    }

    HANDLE CreateFileW(const char16_t* fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                       DWORD flagsAndAttributes) override {
        std::string name = utf8FromUtf16(fileName);
        return CreateFileA(fileName ? name.c_str() : nullptr, desiredAccess, shareMode, creationDisposition,
                           flagsAndAttributes);
    }

    BOOL CloseHandle(HANDLE handle) override {
        HandleEntry* entry = m_ctx.handle(handle);
        if (!entry) {
            m_ctx.setLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (entry->fd >= 0) {
            if (entry->kind == HandleKind::File) ::close(entry->fd);
            else m_ctx.seam().close(entry->fd);
        }
        m_ctx.removeHandle(handle);
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL DeviceIoControl(HANDLE device, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                         DWORD* bytesReturned) override {
        DWORD ignored = 0;
        DWORD* returned = bytesReturned ? bytesReturned : &ignored;
        *returned = 0;
        HandleEntry* entry = m_ctx.handle(device);
        if (!entry) {
            m_ctx.setLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (entry->kind != HandleKind::Device && entry->kind != HandleKind::PhysicalDisk) {
            m_ctx.setLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        }
        if (code == IOCTL_STORAGE_QUERY_PROPERTY) return storagePropertyQuery(m_ctx, *entry, in, inSize, out, outSize, returned);
        if (code == IOCTL_SCSI_PASS_THROUGH_DIRECT) {
            // The block carries an address; it goes through ScsiPassThroughDirect.
            m_ctx.setLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        BOOL result = FALSE;
        if (mediaDeviceControl(m_ctx, *entry, code, in, inSize, out, outSize, returned, &result)) return result;
        if (diskDeviceControl(m_ctx, *entry, code, in, inSize, out, outSize, returned, &result)) return result;
        m_ctx.setLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }

    BOOL ScsiPassThroughDirect(HANDLE device, uint8_t* request, DWORD requestSize, void* dataBuffer,
                               DWORD* bytesReturned) override {
        DWORD ignored = 0;
        DWORD* returned = bytesReturned ? bytesReturned : &ignored;
        *returned = 0;
        HandleEntry* entry = m_ctx.handle(device);
        if (!entry || (entry->kind != HandleKind::Device && entry->kind != HandleKind::PhysicalDisk)) {
            m_ctx.setLastError(entry ? ERROR_INVALID_FUNCTION : ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (!request || requestSize < PassThroughLayout::StructSize) {
            m_ctx.setLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (entry->fd < 0) return inquiryFromSysfs(*entry, request, requestSize, dataBuffer, returned);
        return scsiPassThrough(m_ctx, *entry, request, requestSize, dataBuffer, returned);
    }

    DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) override {
        HandleEntry* entry = m_ctx.handle(file);
        if (!entry || entry->fd < 0) {
            m_ctx.setLastError(entry ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
            return INVALID_SET_FILE_POINTER;
        }
        int64_t distance = distanceToMoveHigh
                               ? int64_t((uint64_t(uint32_t(*distanceToMoveHigh)) << 32) | uint32_t(distanceToMove))
                               : int64_t(distanceToMove);
        int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR
                   : moveMethod == FILE_END   ? SEEK_END : -1;
        off_t position = whence < 0 ? -1 : ::lseek(entry->fd, off_t(distance), whence);
        if (position < 0) {
            m_ctx.setLastError(whence < 0 ? ERROR_INVALID_PARAMETER : seekError(errno));
            return INVALID_SET_FILE_POINTER;
        }
        if (distanceToMoveHigh) *distanceToMoveHigh = LONG(uint64_t(position) >> 32);
        m_ctx.setLastError(ERROR_SUCCESS);
        return DWORD(uint64_t(position) & 0xFFFFFFFFu);
    }

    BOOL ReadFile(HANDLE file, void* buffer, DWORD toRead, DWORD* numberRead) override {
        if (numberRead) *numberRead = 0;
        HandleEntry* entry = ioHandle(file);
        if (!entry) return FALSE;
        ssize_t n;
        do n = ::read(entry->fd, buffer, toRead);
        while (n < 0 && errno == EINTR);
        if (n < 0) return failErrno();
        if (numberRead) *numberRead = DWORD(n);
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL WriteFile(HANDLE file, const void* buffer, DWORD toWrite, DWORD* numberWritten) override {
        if (numberWritten) *numberWritten = 0;
        HandleEntry* entry = ioHandle(file);
        if (!entry) return FALSE;
        size_t done = 0;
        while (done < toWrite) {
            ssize_t n = ::write(entry->fd, static_cast<const char*>(buffer) + done, toWrite - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                if (numberWritten) *numberWritten = DWORD(done);
                return failErrno();
            }
            done += size_t(n);
        }
        if (numberWritten) *numberWritten = DWORD(done);
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL FlushFileBuffers(HANDLE file) override {
        HandleEntry* entry = ioHandle(file);
        if (!entry) return FALSE;
        if (::fsync(entry->fd) != 0) return failErrno();
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL DeleteFileA(const char* fileName) override {
        std::optional<std::string> host = fileName ? hostFile(fileName) : std::nullopt;
        if (!host) {
            m_ctx.setLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        if (::unlink(host->c_str()) != 0) return failErrno(errno == EISDIR ? EACCES : errno);
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL FileExists(const char* fileName) override {
        std::optional<std::string> host = fileName ? hostFile(fileName) : std::nullopt;
        if (!host || !statPath(m_ctx, *host, guardOf(m_ctx, *host)).ok) {
            m_ctx.setLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL AppendTextFile(const char* fileName, const std::string& text) override {
        if (fileName && equalsNoCase(fileName, "c:\\autoexec.bat")) {
            // Zorvane's own start-up file: locked, replaced whole, no line break inside a line.
            if (int error = appendToStartupFile(m_ctx, text)) return failErrno(error);
            m_ctx.setLastError(ERROR_SUCCESS);
            return TRUE;
        }
        std::optional<std::string> host = fileName ? hostFile(fileName) : std::nullopt;
        if (!host) {
            m_ctx.setLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        int openError = 0;
        int fd = openPath(m_ctx, *host, O_WRONLY | O_APPEND | O_CREAT, 0666, guardOf(m_ctx, *host), &openError);
        if (fd < 0) return failErrno(openError);
        size_t done = 0;
        while (done < text.size()) {
            ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                int error = errno;
                ::close(fd);
                return failErrno(error);
            }
            done += size_t(n);
        }
        if (::close(fd) != 0) return failErrno();
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL DiscardCachedData(HANDLE file) override {
        HandleEntry* entry = ioHandle(file);
        if (!entry) return FALSE;
        if (::fdatasync(entry->fd) != 0 && errno != EINVAL) return failErrno();
        int error = ::posix_fadvise(entry->fd, 0, 0, POSIX_FADV_DONTNEED);
        if (error != 0) return failErrno(error);
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    DWORD GetReadCacheLayerA(const char* rootPath, char* buffer, DWORD bufferLength) override {
        const char letter = driveLetterOf(rootPath);
        const auto target = letter ? m_ctx.target(letter) : std::nullopt;
        if (!target) {
            m_ctx.setLastError(ERROR_PATH_NOT_FOUND);
            return 0;
        }
        const std::string layer = readCacheLayer(*target);
        if (!layer.empty() && !copyText(buffer, bufferLength, layer)) {
            m_ctx.setLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        m_ctx.setLastError(ERROR_SUCCESS);
        return DWORD(layer.size());
    }

    DWORD GetWritableFolderA(const char* rootPath, char* buffer, DWORD bufferLength) override {
        char letter = driveLetterOf(rootPath);
        const LetterEntry* entry = letter ? letterEntry(m_ctx, letter) : nullptr;
        if (!entry || entry->hostRoot.empty()) {
            m_ctx.setLastError(ERROR_PATH_NOT_FOUND);
            return 0;
        }
        const std::string root = entry->hostRoot;
        const PathGuard guard = guardOf(m_ctx, root);
        std::string folder;
        const int rootAccess = accessPath(m_ctx, root, W_OK, guard);
        const PathStat rootStat = rootAccess == 0 ? PathStat{} : statPath(m_ctx, root, guard);
        if (rootAccess == 0) {
            folder = std::string(1, letter) + ":\\";
        } else if (isUnavailableErrno(rootAccess) || rootStat.unavailable) {
            m_ctx.setLastError(ERROR_NOT_READY);  // the mount's daemon or server does not answer
            return 0;
        } else if (rootStat.ok) {
            // A folder of the same file system below the root: the user's home, else a
            // temporary folder.
            std::string prefix = root == "/" ? std::string() : root;
            std::vector<std::string> places = {userHome(), "/tmp", "/var/tmp"};
            for (const auto& place : places) {
                if (place.empty()) continue;
                std::string host = m_ctx.sysPath(place);
                if (host.rfind(prefix + "/", 0) != 0) continue;
                const PathStat st = statPath(m_ctx, host, guard);
                if (!st.ok || st.st.st_dev != rootStat.st.st_dev || !S_ISDIR(st.st.st_mode) ||
                    accessPath(m_ctx, host, W_OK, guard) != 0)
                    continue;
                std::string rest = host.substr(prefix.size());
                std::replace(rest.begin(), rest.end(), '/', '\\');
                while (!rest.empty() && rest.front() == '\\') rest.erase(0, 1);
                folder = std::string(1, letter) + ":\\" + rest + (rest.empty() ? "" : "\\");
                break;
            }
        }
        if (folder.empty()) {
            m_ctx.setLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        if (!copyText(buffer, bufferLength, folder)) {
            m_ctx.setLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        m_ctx.setLastError(ERROR_SUCCESS);
        return DWORD(folder.size());
    }

private:
    static DWORD seekError(int error) { return error == EINVAL ? 131 /* ERROR_NEGATIVE_SEEK */ : win32ErrorFromErrno(error); }

    HANDLE fail(DWORD error) {
        m_ctx.setLastError(error);
        return INVALID_HANDLE_VALUE;
    }

    BOOL failErrno(int error = errno) {
        m_ctx.setLastError(win32ErrorFromErrno(error));
        return FALSE;
    }

    HandleEntry* ioHandle(HANDLE h) {
        HandleEntry* entry = m_ctx.handle(h);
        if (!entry || (entry->kind != HandleKind::File && entry->kind != HandleKind::Device &&
                       entry->kind != HandleKind::PhysicalDisk)) {
            m_ctx.setLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        if (entry->fd < 0) {
            m_ctx.setLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        return entry;
    }

    // A file path of the letter namespace on this machine; "c:\autoexec.bat" is the user's
    // own start-up file.
    std::optional<std::string> hostFile(const std::string& name) {
        if (equalsNoCase(name, "c:\\autoexec.bat")) {
            std::string path = startupFilePath(m_ctx, true);
            if (path.empty()) return std::nullopt;
            return path;
        }
        return hostPathFor(m_ctx, name);
    }

    HANDLE openDevicePath(const std::string& device, DWORD access, DWORD share) {
        HandleEntry entry;
        entry.path = "\\\\.\\" + device;
        entry.access = access;
        entry.share = share;
        if (device.size() == 2 && device[1] == ':' && driveLetterOf(device.c_str())) {
            const LetterEntry* letter = letterEntry(m_ctx, device[0]);
            // Network, RAM file systems and substitutes have no device to open.
            if (!letter || letter->target.devNode.empty()) return fail(ERROR_FILE_NOT_FOUND);
            entry.kind = HandleKind::Device;
            entry.node = letter->target.devNode;
            entry.target = letter->target;
        } else if (equalsNoCase(device.substr(0, 13), "physicaldrive") && device.size() > 13 &&
                   std::all_of(device.begin() + 13, device.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
            size_t index = size_t(std::strtoul(device.c_str() + 13, nullptr, 10));
            std::vector<std::string> disks = m_ctx.wholeDisks();
            if (index >= disks.size()) return fail(ERROR_FILE_NOT_FOUND);
            entry.kind = HandleKind::PhysicalDisk;
            entry.node = "/dev/" + disks[index];
            entry.physicalDrive = int(index);
        } else {
            return fail(ERROR_FILE_NOT_FOUND);  // "\\.\SMARTVSD" and other drivers of the old family
        }
        if (access != 0) {
            int fd = openNode(entry.node, access, share);
            if (fd == -2) return INVALID_HANDLE_VALUE;
            entry.fd = fd;
        }
        m_ctx.setLastError(ERROR_SUCCESS);
        return m_ctx.addHandle(std::move(entry));
    }

    // The device node opened without waiting for a medium (O_NONBLOCK keeps an optical
    // drive's tray and lock alone). -1: the node exists but this user may not open it (the
    // handle still answers queries from sysfs); -2: failed, error set.
    //
    // Share mode 0 asks for the device alone. Another program holding the node open refuses
    // it (ERROR_SHARING_VIOLATION). A mounted file system refuses only a writer (O_EXCL): it
    // writes to the device itself, while a reader such as a door lock request leaves it be.
    int openNode(const std::string& node, DWORD access, DWORD share) {
        const bool exclusive = share == 0;
        int extra = O_NONBLOCK | (exclusive && (access & GENERIC_WRITE) ? O_EXCL : 0);
        std::string path = m_ctx.sysPath(node);
        int fd = -1;
        int error = 0;
        if (access & GENERIC_WRITE) {
            fd = m_ctx.seam().open(path, O_RDWR | extra);
            error = fd < 0 ? errno : 0;
        }
        if (fd < 0 && (!(access & GENERIC_WRITE) || error == EACCES || error == EPERM || error == EROFS)) {
            fd = m_ctx.seam().open(path, O_RDONLY | extra);
            error = fd < 0 ? errno : 0;
        }
        if (fd >= 0 && exclusive && otherProcessHoldsDevice(m_ctx.sysPath("/proc"), node, path, long(::getpid()))) {
            m_ctx.seam().close(fd);
            m_ctx.setLastError(ERROR_SHARING_VIOLATION);
            return -2;
        }
        if (fd >= 0) return fd;
        if (error == EACCES || error == EPERM) return -1;
        m_ctx.setLastError(error == EBUSY ? ERROR_SHARING_VIOLATION : win32ErrorFromErrno(error));
        return -2;
    }

    HANDLE openFile(const std::string& given, const std::string& host, DWORD access, DWORD disposition, DWORD flags) {
        int mode = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
        switch (disposition) {
        case CREATE_NEW: mode |= O_CREAT | O_EXCL; break;
        case CREATE_ALWAYS: mode |= O_CREAT | O_TRUNC; break;
        case OPEN_EXISTING: break;
        case OPEN_ALWAYS: mode |= O_CREAT; break;
        case 5 /* TRUNCATE_EXISTING */: mode |= O_TRUNC; break;
        default: return fail(ERROR_INVALID_PARAMETER);
        }
        if (flags & FILE_FLAG_NO_BUFFERING) mode |= O_DIRECT;
        // Zorvane's own start-up file is never opened through a link (own_file.h).
        if (equalsNoCase(given, "c:\\autoexec.bat")) mode |= O_NOFOLLOW;
        if (flags & FILE_FLAG_WRITE_THROUGH) mode |= O_DSYNC;
        const PathGuard guard = guardOf(m_ctx, host);
        const PathStat before = statPath(m_ctx, host, guard);
        const bool existed = before.ok;
        if (before.unavailable) return fail(ERROR_NOT_READY);
        if (existed && S_ISDIR(before.st.st_mode)) return fail(ERROR_ACCESS_DENIED);
        if (existed && disposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
        const bool deleteOnClose = (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0;
        int error = 0;
        int fd = -1;
        if (deleteOnClose && !existed && (mode & O_CREAT)) fd = openNameless(host, mode, guard, &error);
        const bool byName = fd < 0 && error == 0;
        if (byName) fd = openPath(m_ctx, host, mode, 0666, guard, &error);
        if (fd < 0) {
            // The kernel creates the file before it refuses O_DIRECT: take it away again.
            if (byName && error == EINVAL && (mode & O_DIRECT) && (mode & O_CREAT) && !existed) ::unlink(host.c_str());
            if (error == EEXIST) return fail(ERROR_FILE_EXISTS);
            if (error == ENOENT) {
                std::string parent = host.substr(0, host.find_last_of('/'));
                return fail(parent.empty() || statPath(m_ctx, parent, guard).ok ? ERROR_FILE_NOT_FOUND
                                                                                   : ERROR_PATH_NOT_FOUND);
            }
            return fail(isUnavailableErrno(error) ? ERROR_NOT_READY : win32ErrorFromErrno(error));
        }
        // A file that goes at close has no name from the start, so that a process that is
        // killed or interrupted leaves nothing behind (it is still read and written in full
        // through its descriptor).
        if (deleteOnClose && byName) ::unlink(host.c_str());
        HandleEntry entry;
        entry.kind = HandleKind::File;
        entry.fd = fd;
        entry.path = given;
        entry.node = host;
        entry.access = access;
        entry.flags = flags;
        m_ctx.setLastError(existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                                 : ERROR_SUCCESS);
        return m_ctx.addHandle(std::move(entry));
    }

    // A new file without a name (O_TMPFILE) in the folder of `host`. -1 with *error 0 when
    // the file system has no such files: the caller creates it by name and unlinks it at once.
    int openNameless(const std::string& host, int mode, const PathGuard& guard, int* error) {
        const std::string folder = host.substr(0, host.find_last_of('/'));
        int flags = (mode & ~(O_CREAT | O_EXCL | O_TRUNC | O_ACCMODE)) | O_TMPFILE | O_RDWR;
        int fd = openPath(m_ctx, folder.empty() ? "/" : folder, flags, 0600, guard, error);
        if (fd >= 0) return fd;
        // Older kernels see O_TMPFILE as O_DIRECTORY (EISDIR); file systems without it say
        // EOPNOTSUPP.
        if (*error == EOPNOTSUPP || *error == EISDIR) *error = 0;
        return -1;
    }

    // INQUIRY of a device this user may not open: the kernel keeps the device's standard
    // inquiry data in sysfs; they stand in for its answer.
    BOOL inquiryFromSysfs(HandleEntry& entry, uint8_t* request, DWORD requestSize, void* data, DWORD* returned) {
        const uint8_t* cdb = request + PassThroughLayout::Cdb;
        bool standardInquiry = cdb[0] == 0x12 && (cdb[1] & 0x01) == 0;
        std::string dir = diskSysfsDirOf(m_ctx, entry);
        auto bytes = standardInquiry && !dir.empty() ? readFileBytes(dir + "/device/inquiry", 256) : std::nullopt;
        if (!bytes || bytes->empty()) {
            m_ctx.setLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        uint32_t transfer = codec::getLe32(request + PassThroughLayout::DataTransferLength);
        uint32_t allocation = (uint32_t(cdb[3]) << 8) | cdb[4];
        uint32_t length = std::min(transfer, allocation);
        if (data && length) {
            std::memset(data, 0, length);
            std::memcpy(data, bytes->data(), std::min<size_t>(bytes->size(), length));
        }
        request[PassThroughLayout::ScsiStatus] = 0;
        request[PassThroughLayout::SenseInfoLength] = 0;
        codec::putLe32(request + PassThroughLayout::DataTransferLength,
                       data ? uint32_t(std::min<size_t>(bytes->size(), length)) : 0);
        *returned = requestSize;
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    LinuxContext& m_ctx;
};

}  // namespace

std::unique_ptr<platform::IIo> makeLinuxIo(LinuxContext& ctx) { return std::make_unique<LinuxIo>(ctx); }

}  // namespace zv::lnx
