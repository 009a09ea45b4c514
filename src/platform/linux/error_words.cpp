#include "platform/linux/error_words.h"

#include <cerrno>
#include <cstring>
#include <map>

namespace zv::lnx {

using namespace zv::win;

namespace {

thread_local std::map<DWORD, int> tRecentErrno;
thread_local std::map<DWORD, std::string> tRecentExplanation;

// The errno whose words describe a code best when no errno was noted for it: the table of
// errno_map.cpp read backwards, with one errno chosen where several share a code.
int usualErrnoOf(DWORD code) {
    switch (code) {
    case ERROR_INVALID_FUNCTION: return EOPNOTSUPP;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_ACCESS_DENIED: return EACCES;
    case ERROR_INVALID_HANDLE: return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY: return ENOMEM;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_NOT_READY:
    case ERROR_NO_MEDIA_IN_DRIVE: return ENOMEDIUM;
    case ERROR_SEEK: return ESPIPE;
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE: return EIO;
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
    case ERROR_DEVICE_IN_USE: return EBUSY;
    case ERROR_BAD_LENGTH: return EMSGSIZE;
    case ERROR_NOT_SUPPORTED: return EOPNOTSUPP;
    case ERROR_DEV_NOT_EXIST: return ENODEV;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_INVALID_PARAMETER: return EINVAL;
    case ERROR_BROKEN_PIPE: return EPIPE;
    case ERROR_DISK_FULL: return ENOSPC;
    case ERROR_CALL_NOT_IMPLEMENTED: return ENOSYS;
    case ERROR_SEM_TIMEOUT:
    case ERROR_TIMEOUT: return ETIMEDOUT;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_NOACCESS: return EFAULT;
    case ERROR_CANTOPEN: return ELOOP;
    case ERROR_CANCELLED: return ECANCELED;
    case ERROR_CONNECTION_UNAVAIL: return ENOTCONN;
    case ERROR_HOST_UNREACHABLE: return EHOSTUNREACH;
    case ERROR_CONNECTION_REFUSED: return ECONNREFUSED;
    case ERROR_NO_NETWORK: return ENETDOWN;
    case ERROR_DISK_CORRUPT: return EUCLEAN;
    case ERROR_PRIVILEGE_NOT_HELD: return EPERM;
    default: return 0;
    }
}

}  // namespace

void rememberErrnoOfCode(DWORD code, int error) {
    if (error == 0) return;
    tRecentErrno[code] = error;
    tRecentExplanation.erase(code);
}

void rememberExplanationOfCode(DWORD code, std::string words) { tRecentExplanation[code] = std::move(words); }

std::string explanationOfCode(DWORD code) {
    const auto found = tRecentExplanation.find(code);
    return found == tRecentExplanation.end() ? std::string() : found->second;
}

int errnoOfCode(DWORD code) {
    if (const auto found = tRecentErrno.find(code); found != tRecentErrno.end()) return found->second;
    return usualErrnoOf(code);
}

std::string errnoWords(int error) {
    if (error == 0) return {};
    char buffer[256] = {};
    // The GNU strerror_r returns its text, which need not be in the buffer.
    const char* words = ::strerror_r(error, buffer, sizeof buffer);
    return words ? std::string(words) : std::string();
}

}  // namespace zv::lnx
