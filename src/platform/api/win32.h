// Win32 types, constants and error codes used by the platform layer.
//
// The logic talks to the operating system through Windows-style operations; these are
// the names and values those operations use. Values are the documented Win32 ones
// (winnt.h, winbase.h, winioctl.h, winerror.h, ntddscsi.h, mmsystem.h).
#pragma once

#include <cstdint>

namespace zv::win {

using BOOL = int32_t;
using BOOLEAN = uint8_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using ULONGLONG = uint64_t;
using HRESULT = int32_t;

// Handles are small integers in a per-backend table; 0 is never handed out.
using HANDLE = int64_t;
inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;
using HWND = uint64_t;   // opaque window identity; 0 = no owner
using HKEY = uint64_t;
using HMODULE = uint64_t;  // 0 = load failed
using MCIDEVICEID = uint32_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// ---- Access, share, creation, attributes (CreateFile) ----
inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_FLAG_WRITE_THROUGH = 0x80000000u;
inline constexpr DWORD FILE_FLAG_NO_BUFFERING = 0x20000000u;
inline constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;
inline constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000u;
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;
inline constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;

// ---- Error mode ----
inline constexpr UINT SEM_FAILCRITICALERRORS = 0x1;

// ---- Drive types (GetDriveType) ----
inline constexpr UINT DRIVE_UNKNOWN = 0;
inline constexpr UINT DRIVE_NO_ROOT_DIR = 1;
inline constexpr UINT DRIVE_REMOVABLE = 2;
inline constexpr UINT DRIVE_FIXED = 3;
inline constexpr UINT DRIVE_REMOTE = 4;
inline constexpr UINT DRIVE_CDROM = 5;
inline constexpr UINT DRIVE_RAMDISK = 6;

// ---- File-system flags (GetVolumeInformation) ----
inline constexpr DWORD FILE_CASE_SENSITIVE_SEARCH = 0x1;
inline constexpr DWORD FILE_CASE_PRESERVED_NAMES = 0x2;
inline constexpr DWORD FILE_UNICODE_ON_DISK = 0x4;
inline constexpr DWORD FILE_PERSISTENT_ACLS = 0x8;
inline constexpr DWORD FILE_FILE_COMPRESSION = 0x10;
inline constexpr DWORD FILE_VOLUME_QUOTAS = 0x20;
inline constexpr DWORD FILE_SUPPORTS_SPARSE_FILES = 0x40;
inline constexpr DWORD FILE_SUPPORTS_REPARSE_POINTS = 0x80;
inline constexpr DWORD FILE_VOLUME_IS_COMPRESSED = 0x8000;
inline constexpr DWORD FILE_SUPPORTS_OBJECT_IDS = 0x10000;
inline constexpr DWORD FILE_SUPPORTS_ENCRYPTION = 0x20000;
inline constexpr DWORD FILE_READ_ONLY_VOLUME = 0x80000;

// ---- DefineDosDevice ----
inline constexpr DWORD DDD_RAW_TARGET_PATH = 0x1;
inline constexpr DWORD DDD_REMOVE_DEFINITION = 0x2;
inline constexpr DWORD DDD_EXACT_MATCH_ON_REMOVE = 0x4;

// ---- Version (GetVersionEx) ----
inline constexpr DWORD VER_PLATFORM_WIN32s = 0;
inline constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
inline constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize = 148;
    DWORD dwMajorVersion = 0;
    DWORD dwMinorVersion = 0;
    DWORD dwBuildNumber = 0;
    DWORD dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

// ---- Security (administrator test) ----
inline constexpr DWORD TOKEN_QUERY = 0x0008;
inline constexpr DWORD TokenGroups = 2;  // TOKEN_INFORMATION_CLASS

// ---- Registry ----
inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr DWORD KEY_QUERY_VALUE = 0x0001;
inline constexpr DWORD KEY_SET_VALUE = 0x0002;
inline constexpr DWORD KEY_READ = 0x20019;
inline constexpr DWORD KEY_WRITE = 0x20006;
inline constexpr DWORD KEY_ALL_ACCESS = 0xF003F;
inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

// ---- Network ----
inline constexpr DWORD RESOURCETYPE_DISK = 1;
inline constexpr DWORD CONNECT_UPDATE_PROFILE = 0x1;

// ---- Shell ----
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOW = 5;
inline constexpr DWORD SEE_MASK_INVOKEIDLIST = 0x0C;
inline constexpr DWORD SEE_MASK_NOCLOSEPROCESS = 0x40;
inline constexpr DWORD SEE_MASK_FLAG_NO_UI = 0x400;
inline constexpr DWORD BIF_RETURNONLYFSDIRS = 0x1;

// SHELLEXECUTEINFOA as the program fills it (cbSize 60 on the 32-bit system).
struct SHELLEXECUTEINFOA {
    DWORD cbSize = 0;
    DWORD fMask = 0;
    HWND hwnd = 0;
    const char* lpVerb = nullptr;
    const char* lpFile = nullptr;
    const char* lpParameters = nullptr;
    const char* lpDirectory = nullptr;
    int nShow = 0;
    uint64_t hInstApp = 0;
    const void* lpIDList = nullptr;
};

// ---- Multimedia control interface ----
inline constexpr UINT MCI_OPEN = 0x0803;
inline constexpr UINT MCI_CLOSE = 0x0804;
inline constexpr UINT MCI_SET = 0x080D;
inline constexpr DWORD MCI_WAIT = 0x00000002;
inline constexpr DWORD MCI_OPEN_TYPE = 0x00002000;
inline constexpr DWORD MCI_OPEN_ELEMENT = 0x00000200;
inline constexpr DWORD MCI_SET_DOOR_OPEN = 0x00000100;
inline constexpr DWORD MCI_SET_DOOR_CLOSED = 0x00000200;

struct MCI_OPEN_PARMSA {
    uint64_t dwCallback = 0;
    MCIDEVICEID wDeviceID = 0;  // out
    const char* lpstrDeviceType = nullptr;
    const char* lpstrElementName = nullptr;
    const char* lpstrAlias = nullptr;
};

// ---- Device-control codes (winioctl.h, ntddscsi.h, ntdddisk.h) ----
inline constexpr DWORD IOCTL_SCSI_PASS_THROUGH_DIRECT = 0x0004D014;
inline constexpr DWORD IOCTL_STORAGE_QUERY_PROPERTY = 0x002D1400;
inline constexpr DWORD IOCTL_STORAGE_MEDIA_REMOVAL = 0x002D4804;
inline constexpr DWORD IOCTL_STORAGE_EJECT_MEDIA = 0x002D4808;
inline constexpr DWORD IOCTL_STORAGE_LOAD_MEDIA = 0x002D480C;
inline constexpr DWORD IOCTL_STORAGE_GET_DEVICE_NUMBER = 0x002D1080;
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_LAYOUT = 0x0007400C;
inline constexpr DWORD IOCTL_DISK_GET_DRIVE_LAYOUT_EX = 0x00070050;
inline constexpr DWORD SMART_GET_VERSION = 0x00074080;
inline constexpr DWORD SMART_SEND_DRIVE_COMMAND = 0x0007C084;
inline constexpr DWORD SMART_RCV_DRIVE_DATA = 0x0007C088;

inline constexpr BYTE SCSI_IOCTL_DATA_OUT = 0;
inline constexpr BYTE SCSI_IOCTL_DATA_IN = 1;
inline constexpr BYTE SCSI_IOCTL_DATA_UNSPECIFIED = 2;

// STORAGE_BUS_TYPE
inline constexpr DWORD BusTypeUnknown = 0;
inline constexpr DWORD BusTypeScsi = 1;
inline constexpr DWORD BusTypeAtapi = 2;
inline constexpr DWORD BusTypeAta = 3;
inline constexpr DWORD BusType1394 = 4;
inline constexpr DWORD BusTypeSsa = 5;
inline constexpr DWORD BusTypeFibre = 6;
inline constexpr DWORD BusTypeUsb = 7;
inline constexpr DWORD BusTypeRAID = 8;
inline constexpr DWORD BusTypeiScsi = 9;
inline constexpr DWORD BusTypeSas = 10;
inline constexpr DWORD BusTypeSata = 11;
inline constexpr DWORD BusTypeSd = 12;
inline constexpr DWORD BusTypeMmc = 13;
inline constexpr DWORD BusTypeVirtual = 14;
inline constexpr DWORD BusTypeFileBackedVirtual = 15;
inline constexpr DWORD BusTypeSpaces = 16;
inline constexpr DWORD BusTypeNvme = 17;

// STORAGE_DEVICE_NUMBER.DeviceType values (FILE_DEVICE_*)
inline constexpr DWORD FILE_DEVICE_CD_ROM = 0x02;
inline constexpr DWORD FILE_DEVICE_DISK = 0x07;

// ---- Error codes (winerror.h) ----
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD NO_ERROR = 0;
inline constexpr DWORD ERROR_INVALID_FUNCTION = 1;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_PATH_NOT_FOUND = 3;
inline constexpr DWORD ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_BAD_FORMAT = 11;
inline constexpr DWORD ERROR_INVALID_DATA = 13;
inline constexpr DWORD ERROR_OUTOFMEMORY = 14;
inline constexpr DWORD ERROR_INVALID_DRIVE = 15;
inline constexpr DWORD ERROR_NO_MORE_FILES = 18;
inline constexpr DWORD ERROR_WRITE_PROTECT = 19;
inline constexpr DWORD ERROR_NOT_READY = 21;
inline constexpr DWORD ERROR_BAD_COMMAND = 22;
inline constexpr DWORD ERROR_CRC = 23;
inline constexpr DWORD ERROR_BAD_LENGTH = 24;
inline constexpr DWORD ERROR_SEEK = 25;
inline constexpr DWORD ERROR_WRITE_FAULT = 29;
inline constexpr DWORD ERROR_READ_FAULT = 30;
inline constexpr DWORD ERROR_GEN_FAILURE = 31;
inline constexpr DWORD ERROR_SHARING_VIOLATION = 32;
inline constexpr DWORD ERROR_LOCK_VIOLATION = 33;
inline constexpr DWORD ERROR_HANDLE_EOF = 38;
inline constexpr DWORD ERROR_HANDLE_DISK_FULL = 39;
inline constexpr DWORD ERROR_NOT_SUPPORTED = 50;
inline constexpr DWORD ERROR_BAD_NETPATH = 53;
inline constexpr DWORD ERROR_NETWORK_BUSY = 54;
inline constexpr DWORD ERROR_DEV_NOT_EXIST = 55;
inline constexpr DWORD ERROR_UNEXP_NET_ERR = 59;
inline constexpr DWORD ERROR_BAD_NET_NAME = 67;
inline constexpr DWORD ERROR_FILE_EXISTS = 80;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_BROKEN_PIPE = 109;
inline constexpr DWORD ERROR_OPEN_FAILED = 110;
inline constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
inline constexpr DWORD ERROR_DISK_FULL = 112;
inline constexpr DWORD ERROR_CALL_NOT_IMPLEMENTED = 120;
inline constexpr DWORD ERROR_SEM_TIMEOUT = 121;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_INVALID_NAME = 123;
inline constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
inline constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
inline constexpr DWORD ERROR_DIR_NOT_EMPTY = 145;
inline constexpr DWORD ERROR_BUSY = 170;
inline constexpr DWORD ERROR_ALREADY_EXISTS = 183;
inline constexpr DWORD ERROR_ENVVAR_NOT_FOUND = 203;
inline constexpr DWORD ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr DWORD ERROR_MORE_DATA = 234;
inline constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
inline constexpr DWORD ERROR_DIRECTORY = 267;
inline constexpr DWORD ERROR_NOT_OWNER = 288;
inline constexpr DWORD ERROR_IO_INCOMPLETE = 996;
inline constexpr DWORD ERROR_IO_PENDING = 997;
inline constexpr DWORD ERROR_NOACCESS = 998;
inline constexpr DWORD ERROR_NO_TOKEN = 1008;
inline constexpr DWORD ERROR_BADDB = 1009;
inline constexpr DWORD ERROR_BADKEY = 1010;
inline constexpr DWORD ERROR_CANTOPEN = 1011;
inline constexpr DWORD ERROR_CANTREAD = 1012;
inline constexpr DWORD ERROR_CANTWRITE = 1013;
inline constexpr DWORD ERROR_KEY_DELETED = 1018;
inline constexpr DWORD ERROR_MEDIA_CHANGED = 1110;
inline constexpr DWORD ERROR_NO_MEDIA_IN_DRIVE = 1112;
inline constexpr DWORD ERROR_IO_DEVICE = 1117;
inline constexpr DWORD ERROR_POSSIBLE_DEADLOCK = 1131;
inline constexpr DWORD ERROR_BAD_DEVICE = 1200;
inline constexpr DWORD ERROR_CONNECTION_UNAVAIL = 1201;
inline constexpr DWORD ERROR_DEVICE_ALREADY_REMEMBERED = 1202;
inline constexpr DWORD ERROR_NO_NET_OR_BAD_PATH = 1203;
inline constexpr DWORD ERROR_BAD_PROVIDER = 1204;
inline constexpr DWORD ERROR_EXTENDED_ERROR = 1208;
inline constexpr DWORD ERROR_NO_NETWORK = 1222;
inline constexpr DWORD ERROR_CANCELLED = 1223;
inline constexpr DWORD ERROR_CONNECTION_REFUSED = 1225;
inline constexpr DWORD ERROR_HOST_UNREACHABLE = 1232;
inline constexpr DWORD ERROR_NOT_ALL_ASSIGNED = 1300;
inline constexpr DWORD ERROR_PRIVILEGE_NOT_HELD = 1314;
inline constexpr DWORD ERROR_INVALID_ACCESS = 12;
inline constexpr DWORD ERROR_TIMEOUT = 1460;
inline constexpr DWORD ERROR_DEVICE_NOT_CONNECTED = 1167;
inline constexpr DWORD ERROR_NOT_CONNECTED = 2250;
inline constexpr DWORD ERROR_DEVICE_IN_USE = 2404;
inline constexpr DWORD ERROR_FILE_CORRUPT = 1392;
inline constexpr DWORD ERROR_DISK_CORRUPT = 1393;
inline constexpr DWORD ERROR_NOT_FOUND = 1168;
inline constexpr DWORD ERROR_UNRECOGNIZED_VOLUME = 1005;
inline constexpr DWORD ERROR_FILE_INVALID = 1006;
inline constexpr DWORD ERROR_STALE_HANDLE = ERROR_FILE_INVALID;

// MCI errors
inline constexpr DWORD MCIERR_BASE = 256;
inline constexpr DWORD MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
inline constexpr DWORD MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
inline constexpr DWORD MCIERR_HARDWARE = MCIERR_BASE + 6;
inline constexpr DWORD MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
inline constexpr DWORD MCIERR_DEVICE_NOT_READY = MCIERR_BASE + 20;
inline constexpr DWORD MCIERR_UNSUPPORTED_FUNCTION = MCIERR_BASE + 18;

// HRESULTs for the automation and management calls
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005u);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
inline constexpr HRESULT WBEM_E_FAILED = static_cast<HRESULT>(0x80041001u);
inline constexpr HRESULT WBEM_E_INVALID_QUERY = static_cast<HRESULT>(0x80041017u);

}  // namespace zv::win
