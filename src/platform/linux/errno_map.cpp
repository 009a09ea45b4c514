// errno -> Win32 error code. One table, so that every part of the backend reports the same
// code for the same failure; the errno is noted with the code for the code's message text.
#include "platform/linux/error_words.h"
#include "platform/linux/linux_context.h"

#include <cerrno>

namespace zv::lnx {

namespace {

DWORD codeOfErrno(int error) {
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case EPERM:
    case EACCES: return ERROR_ACCESS_DENIED;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ENXIO:
    case ENODEV: return ERROR_DEV_NOT_EXIST;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EISDIR: return ERROR_DIRECTORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ESPIPE: return ERROR_SEEK;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EBUSY: return ERROR_BUSY;
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ELOOP: return ERROR_CANTOPEN;
    case EIO: return ERROR_IO_DEVICE;
    case ENOMEDIUM: return ERROR_NOT_READY;
    case EMEDIUMTYPE: return ERROR_UNRECOGNIZED_VOLUME;
    case ENOTTY:
    case ENOSYS:
    case EOPNOTSUPP: return ERROR_INVALID_FUNCTION;
    case EFAULT: return ERROR_NOACCESS;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case EAGAIN: return ERROR_BUSY;
    case EINTR: return ERROR_CANCELLED;
    case EFBIG: return ERROR_DISK_FULL;
    case EMSGSIZE: return ERROR_BAD_LENGTH;
    case ETIMEDOUT: return ERROR_SEM_TIMEOUT;
    case ENOTCONN:
    case EHOSTDOWN:
    case ESTALE: return ERROR_CONNECTION_UNAVAIL;
    case EHOSTUNREACH:
    case ENETUNREACH: return ERROR_HOST_UNREACHABLE;
    case ECONNREFUSED: return ERROR_CONNECTION_REFUSED;
    case ENETDOWN: return ERROR_NO_NETWORK;
    case EUCLEAN: return ERROR_DISK_CORRUPT;
    case ENODATA: return ERROR_NOT_FOUND;
    default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace

DWORD win32ErrorFromErrno(int error) {
    const DWORD code = codeOfErrno(error);
    rememberErrnoOfCode(code, error);
    return code;
}

}  // namespace zv::lnx
