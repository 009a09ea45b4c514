// System facts: version (the NT family), the administrator test, locale, clock, messages and
// the run-time entry points that the logic looks up.
#include "platform/api/codec.h"
#include "platform/linux/error_words.h"
#include "platform/linux/linux_concerns.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/locale_separators.h"
#include "platform/linux/sysfs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/utsname.h>
#include <unistd.h>

#include <map>

namespace zv::lnx {

namespace {

constexpr HMODULE kKernel32 = 1;
constexpr HMODULE kFmifs = 2;
constexpr DWORD kGroupAttributes = 0x7;  // SE_GROUP_MANDATORY | ENABLED_BY_DEFAULT | ENABLED

struct Sid {
    uint8_t authority;                // the last byte of the 6-byte identifier authority
    std::vector<uint32_t> subAuthorities;
};

std::vector<uint8_t> tokenGroups(bool administrator) {
    std::vector<Sid> groups = {{1, {0}}, {5, {32, 545}}, {5, {11}}};  // Everyone, Users, Authenticated Users
    if (administrator) groups.push_back({5, {32, 544}});             // Administrators
    size_t header = 4 + groups.size() * 8;
    std::vector<uint8_t> bytes(header, 0);
    codec::putLe32(bytes.data(), uint32_t(groups.size()));
    for (size_t i = 0; i < groups.size(); ++i) {
        codec::putLe32(&bytes[4 + i * 8], uint32_t(bytes.size()));
        codec::putLe32(&bytes[8 + i * 8], kGroupAttributes);
        const Sid& sid = groups[i];
        bytes.push_back(1);  // revision
        bytes.push_back(uint8_t(sid.subAuthorities.size()));
        for (int k = 0; k < 5; ++k) bytes.push_back(0);
        bytes.push_back(sid.authority);
        for (uint32_t sub : sid.subAuthorities) {
            uint8_t le[4];
            codec::putLe32(le, sub);
            bytes.insert(bytes.end(), le, le + 4);
        }
    }
    return bytes;
}

uint64_t monotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1'000'000'000u + uint64_t(ts.tv_nsec);
}

const std::map<DWORD, const char*>& messageTexts() {
    static const std::map<DWORD, const char*> texts = {
        {ERROR_SUCCESS, "The operation completed successfully."},
        {ERROR_INVALID_FUNCTION, "Incorrect function."},
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
        {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
        {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
        {ERROR_ACCESS_DENIED, "Access is denied."},
        {ERROR_INVALID_HANDLE, "The handle is invalid."},
        {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
        {ERROR_INVALID_DATA, "The data is invalid."},
        {ERROR_INVALID_DRIVE, "The system cannot find the drive specified."},
        {ERROR_NO_MORE_FILES, "There are no more files."},
        {ERROR_WRITE_PROTECT, "The media is write protected."},
        {ERROR_NOT_READY, "The device is not ready."},
        {ERROR_CRC, "Data error (cyclic redundancy check)."},
        {ERROR_SEEK, "The drive cannot locate a specific area or track on the disk."},
        {ERROR_WRITE_FAULT, "The system cannot write to the specified device."},
        {ERROR_READ_FAULT, "The system cannot read from the specified device."},
        {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
        {ERROR_SHARING_VIOLATION, "The process cannot access the file because it is being used by another process."},
        {ERROR_LOCK_VIOLATION, "The process cannot access the file because another process has locked a portion of the file."},
        {ERROR_HANDLE_EOF, "Reached the end of the file."},
        {ERROR_NOT_SUPPORTED, "The request is not supported."},
        {ERROR_BAD_NETPATH, "The network path was not found."},
        {ERROR_DEV_NOT_EXIST, "The specified network resource or device is no longer available."},
        {ERROR_BAD_NET_NAME, "The network name cannot be found."},
        {ERROR_FILE_EXISTS, "The file exists."},
        {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
        {ERROR_BROKEN_PIPE, "The pipe has been ended."},
        {ERROR_OPEN_FAILED, "The system cannot open the device or file specified."},
        {ERROR_DISK_FULL, "There is not enough space on the disk."},
        {ERROR_CALL_NOT_IMPLEMENTED, "This function is not supported on this system."},
        {ERROR_SEM_TIMEOUT, "The semaphore timeout period has expired."},
        {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
        {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
        {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
        {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
        {ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
        {ERROR_BUSY, "The requested resource is in use."},
        {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
        {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
        {ERROR_MORE_DATA, "More data is available."},
        {ERROR_NO_MORE_ITEMS, "No more data is available."},
        {ERROR_DIRECTORY, "The directory name is invalid."},
        {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error."},
        {ERROR_NO_MEDIA_IN_DRIVE, "No media in drive."},
        {ERROR_MEDIA_CHANGED, "The media in the drive may have changed."},
        {ERROR_UNRECOGNIZED_VOLUME, "The volume does not contain a recognized file system.\r\n"
                                    "Please make sure that all required file system drivers are loaded and that the volume is not corrupted."},
        {ERROR_NO_TOKEN, "An attempt was made to reference a token that does not exist."},
        {ERROR_BAD_DEVICE, "The specified device name is invalid."},
        {ERROR_CONNECTION_UNAVAIL, "The device is not currently connected but it is a remembered connection."},
        {ERROR_DEVICE_ALREADY_REMEMBERED, "The local device name has a remembered connection to another network resource."},
        {ERROR_NO_NETWORK, "The network is not present or not started."},
        {ERROR_CANCELLED, "The operation was canceled by the user."},
        {ERROR_CONNECTION_REFUSED, "The remote computer refused the network connection."},
        {ERROR_HOST_UNREACHABLE, "The network location cannot be reached."},
        {ERROR_PRIVILEGE_NOT_HELD, "A required privilege is not held by the client."},
        {ERROR_DISK_CORRUPT, "The disk structure is corrupted and unreadable."},
        {ERROR_FILE_CORRUPT, "The file or directory is corrupted and unreadable."},
        {ERROR_NOT_FOUND, "Element not found."},
        {ERROR_TIMEOUT, "This operation returned because the timeout period expired."},
        {ERROR_DEVICE_NOT_CONNECTED, "The device is not connected."},
        {ERROR_NOT_CONNECTED, "This network connection does not exist."},
        {ERROR_DEVICE_IN_USE, "The device is in use by an active process and cannot be disconnected."},
    };
    return texts;
}

class LinuxSystem final : public platform::ISystem {
public:
    explicit LinuxSystem(LinuxContext& ctx) : m_ctx(ctx) {}

    DWORD GetLastError() override { return m_ctx.lastError(); }
    void SetLastError(DWORD error) override { m_ctx.setLastError(error); }

    BOOL GetVersionExA(OSVERSIONINFOA* info) override {
        if (!info || info->dwOSVersionInfoSize < 148) {
            m_ctx.setLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        info->dwMajorVersion = 10;
        info->dwMinorVersion = 0;
        info->dwPlatformId = VER_PLATFORM_WIN32_NT;
        info->dwBuildNumber = 0;
        std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
        utsname names;
        if (::uname(&names) == 0) {
            // The kernel release 6.1.55 gives build 60155.
            unsigned major = 0, minor = 0, patch = 0;
            std::sscanf(names.release, "%u.%u.%u", &major, &minor, &patch);
            info->dwBuildNumber = major * 10000 + minor * 100 + (patch > 99 ? 99 : patch);
            std::snprintf(info->szCSDVersion, sizeof info->szCSDVersion, "Linux %s", names.release);
        }
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL OpenThreadToken(DWORD, BOOL, HANDLE* token) override {
        if (token) *token = 0;
        m_ctx.setLastError(ERROR_NO_TOKEN);  // threads never impersonate here
        return FALSE;
    }

    BOOL OpenProcessToken(DWORD, HANDLE* token) override {
        if (!token) {
            m_ctx.setLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        HandleEntry entry;
        entry.kind = HandleKind::Token;
        *token = m_ctx.addHandle(std::move(entry));
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL GetTokenInformation(HANDLE token, DWORD informationClass, void* buffer, DWORD length,
                             DWORD* returnLength) override {
        HandleEntry* entry = m_ctx.handle(token);
        if (!entry || entry->kind != HandleKind::Token) {
            m_ctx.setLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (informationClass != TokenGroups) {
            m_ctx.setLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        std::vector<uint8_t> bytes = tokenGroups(::geteuid() == 0 || hasOpticalCommandRights(m_ctx));
        if (returnLength) *returnLength = DWORD(bytes.size());
        if (!buffer || length < bytes.size()) {
            m_ctx.setLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        std::memcpy(buffer, bytes.data(), bytes.size());
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    platform::LocaleSeparators GetLocaleSeparators() override { return environmentSeparators(); }

    DWORD GetTickCount() override { return DWORD(monotonicNs() / 1'000'000u); }
    uint64_t MonotonicNanoseconds() override { return monotonicNs(); }

    void Sleep(DWORD milliseconds) override {
        timespec ts{time_t(milliseconds / 1000), long(milliseconds % 1000) * 1'000'000L};
        while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
        }
    }

    // The system's own words for the errno behind the code; the fixed texts serve the codes
    // no errno stands for.
    std::string FormatMessageA(DWORD errorCode) override {
        if (errorCode != ERROR_SUCCESS) {
            if (const std::string words = explanationOfCode(errorCode); !words.empty()) return words + "\r\n";
            if (const std::string words = errnoWords(errnoOfCode(errorCode)); !words.empty()) return words + "\r\n";
        }
        auto it = messageTexts().find(errorCode);
        if (it == messageTexts().end()) {
            m_ctx.setLastError(317);  // ERROR_MR_MID_NOT_FOUND
            return {};
        }
        return std::string(it->second) + "\r\n";
    }

    HMODULE LoadLibraryA(const char* fileName) override {
        std::string name = lowerCase(fileName ? fileName : "");
        if (name.find('.') == std::string::npos) name += ".dll";
        if (name == "kernel32.dll") return kKernel32;
        if (name == "fmifs.dll") return kFmifs;
        m_ctx.setLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }

    BOOL GetProcAddress(HMODULE module, const char* procName) override {
        static const char* const kKernel32Entries[] = {"GetDiskFreeSpaceExA", "FindFirstVolumeA", "FindNextVolumeA",
                                                       "FindVolumeClose"};
        static const char* const kFmifsEntries[] = {"Chkdsk", "FormatEx", "EnableVolumeCompession"};
        std::string name = lowerCase(procName ? procName : "");
        auto has = [&name](const auto& entries) {
            for (const char* entry : entries)
                if (lowerCase(entry) == name) return true;
            return false;
        };
        bool found = (module == kKernel32 && has(kKernel32Entries)) || (module == kFmifs && has(kFmifsEntries));
        if (!found) m_ctx.setLastError(module == kKernel32 || module == kFmifs ? ERROR_PROC_NOT_FOUND : ERROR_INVALID_HANDLE);
        return found ? TRUE : FALSE;
    }

    BOOL FreeLibrary(HMODULE module) override {
        if (module != kKernel32 && module != kFmifs) {
            m_ctx.setLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return TRUE;
    }

private:
    LinuxContext& m_ctx;
};

}  // namespace

std::unique_ptr<platform::ISystem> makeLinuxSystem(LinuxContext& ctx) { return std::make_unique<LinuxSystem>(ctx); }

}  // namespace zv::lnx
