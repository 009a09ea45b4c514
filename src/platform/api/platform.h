// The platform layer: the operating-system operations that the logic calls, under their
// Windows names, grouped by concern.
//
// Rules every backend keeps:
//  - Calls never throw. They return BOOL, a handle, a count or an error code exactly as the
//    Windows call does; the error of a failed call is read back with GetLastError() of the
//    same Platform (registry and network calls return their error code instead, as on Windows).
//  - Buffers are the caller's: a backend writes at most the size it was given and always
//    NUL-terminates text that fits.
//  - Handles (files, devices, registry keys, searches, tokens) are small integers from a
//    per-backend table; every one handed out must be closed by the caller.
#pragma once

#include "platform/api/win32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zv::platform {

using namespace zv::win;

// ---------------------------------------------------------------------------------------
// Drives and volumes
// ---------------------------------------------------------------------------------------
class IDrives {
public:
    virtual ~IDrives() = default;

    // Bit n set: letter 'A' + n exists.
    virtual DWORD GetLogicalDrives() = 0;
    // Roots "A:\" NUL "C:\" NUL ... NUL NUL. Returns the length written without the final
    // NUL, or the size needed when bufferLength is too small, 0 on failure.
    virtual DWORD GetLogicalDriveStringsA(DWORD bufferLength, char* buffer) = 0;
    virtual UINT GetDriveTypeA(const char* rootPathName) = 0;
    // Any output pointer may be null. Sizes are in characters including the terminating NUL.
    virtual BOOL GetVolumeInformationA(const char* rootPathName, char* volumeNameBuffer,
                                       DWORD volumeNameSize, DWORD* volumeSerialNumber,
                                       DWORD* maximumComponentLength, DWORD* fileSystemFlags,
                                       char* fileSystemNameBuffer, DWORD fileSystemNameSize) = 0;
    virtual BOOL GetVolumeInformationW(const char16_t* rootPathName, char16_t* volumeNameBuffer,
                                       DWORD volumeNameSize, DWORD* volumeSerialNumber,
                                       DWORD* maximumComponentLength, DWORD* fileSystemFlags,
                                       char16_t* fileSystemNameBuffer, DWORD fileSystemNameSize) = 0;
    virtual BOOL GetDiskFreeSpaceExA(const char* directoryName, ULONGLONG* freeBytesAvailableToCaller,
                                     ULONGLONG* totalNumberOfBytes, ULONGLONG* totalNumberOfFreeBytes) = 0;
    virtual BOOL GetDiskFreeSpaceA(const char* rootPathName, DWORD* sectorsPerCluster,
                                   DWORD* bytesPerSector, DWORD* numberOfFreeClusters,
                                   DWORD* totalNumberOfClusters) = 0;
    // Returns the previous mode.
    virtual UINT SetErrorMode(UINT mode) = 0;
    // Targets as NUL-separated strings ending in a double NUL; returns the characters
    // stored, 0 on failure.
    virtual DWORD QueryDosDeviceA(const char* deviceName, char* targetPath, DWORD ucchMax) = 0;
    virtual BOOL DefineDosDeviceA(DWORD flags, const char* deviceName, const char* targetPath) = 0;
    // Older family only; returns the length of the short path, 0 when the path does not exist.
    virtual DWORD GetShortPathNameA(const char* longPath, char* shortPath, DWORD bufferLength) = 0;

    // Volume enumeration (\\?\Volume{...}\ names, each ending in a backslash).
    virtual HANDLE FindFirstVolumeA(char* volumeName, DWORD bufferLength) = 0;
    virtual BOOL FindNextVolumeA(HANDLE findVolume, char* volumeName, DWORD bufferLength) = 0;
    virtual BOOL FindVolumeClose(HANDLE findVolume) = 0;
    // Taking a volume off its mount points so that it can be checked and fixed, and putting
    // it back. GetVolumeMountsA writes one line per mount ("/dev/sdb1 on /media/data") and
    // returns the text's length, 0 when the volume is not mounted. DismountVolumeA unmounts
    // every mount of the volume (none stays off when one is busy: FALSE, ERROR_BUSY);
    // RemountVolumeA mounts again what DismountVolumeA took off, where it was.
    virtual DWORD GetVolumeMountsA(const char* rootPath, char* buffer, DWORD bufferLength) = 0;
    virtual BOOL DismountVolumeA(const char* rootPath) = 0;
    virtual BOOL RemountVolumeA(const char* rootPath) = 0;
};

// Registers of the older family's DOS services, issued through the VxD call entry
// (service 0x002A0010 = interrupt 21h). Pointer registers carry buffers of the caller.
struct VxDRegisters {
    DWORD eax = 0;
    DWORD ebx = 0;
    DWORD ecx = 0;
    char* edx = nullptr;        // path buffer (256 bytes) for the subst service
    const char* esi = nullptr;  // source path for get-full-path-name
    char* edi = nullptr;        // output buffer for get-full-path-name
    bool carry = false;         // set by the service on failure
};
inline constexpr DWORD VXD_INT21_SERVICE = 0x002A0010;

class IDosServices {
public:
    virtual ~IDosServices() = default;
    // The older family's kernel32 ordinal-1 entry. On the NT family this does nothing and
    // sets carry.
    virtual void VxDCall(DWORD service, VxDRegisters& regs) = 0;
};

// ---------------------------------------------------------------------------------------
// Files and devices
// ---------------------------------------------------------------------------------------
class IIo {
public:
    virtual ~IIo() = default;

    // Paths are file paths ("C:\12345678.TMP") or device paths ("\\.\C:", "\\.\PhysicalDrive0",
    // "\\.\SMARTVSD"). No security attributes and no template are ever passed.
    virtual HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode,
                               DWORD creationDisposition, DWORD flagsAndAttributes) = 0;
    virtual HANDLE CreateFileW(const char16_t* fileName, DWORD desiredAccess, DWORD shareMode,
                               DWORD creationDisposition, DWORD flagsAndAttributes) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;

    virtual BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, const void* inBuffer,
                                 DWORD inBufferSize, void* outBuffer, DWORD outBufferSize,
                                 DWORD* bytesReturned) = 0;
    // IOCTL_SCSI_PASS_THROUGH_DIRECT. `request` is the 80-byte PassThroughRequest block used
    // as input and output (its DataBuffer field is ignored: the address has no fixed width);
    // `dataBuffer` is the separate response buffer of DataTransferLength bytes (may be null
    // when the command moves no data). The backend copies ScsiStatus, SenseInfoLength and the
    // sense bytes back into the block, as the system does.
    virtual BOOL ScsiPassThroughDirect(HANDLE device, uint8_t* request, DWORD requestSize,
                                       void* dataBuffer, DWORD* bytesReturned) = 0;

    virtual DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh,
                                 DWORD moveMethod) = 0;
    virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD numberOfBytesToRead,
                          DWORD* numberOfBytesRead) = 0;
    virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD numberOfBytesToWrite,
                           DWORD* numberOfBytesWritten) = 0;
    virtual BOOL FlushFileBuffers(HANDLE file) = 0;
    virtual BOOL DeleteFileA(const char* fileName) = 0;
    // FALSE with ERROR_FILE_NOT_FOUND when the path does not exist.
    virtual BOOL FileExists(const char* fileName) = 0;
    // Appends text to a text file, creating it when absent (the runtime's Append/Rewrite,
    // WriteLn, CloseFile). FALSE with the error code on failure.
    virtual BOOL AppendTextFile(const char* fileName, const std::string& text) = 0;
    // Writes the file's data to the device and drops its pages from the system's cache, so
    // that the next reads come from the medium (the benchmark's fallback where unbuffered
    // I/O is refused). FALSE when the cache cannot be dropped.
    virtual BOOL DiscardCachedData(HANDLE file) = 0;
    // A folder on the volume of `rootPath` ("X:\") where the user may create files: the root
    // itself when it is writable, else a writable folder below it (for example the user's
    // home folder when it lies on that volume). Written as "X:\path\" with a final
    // backslash; returns its length, 0 when the volume has no such folder.
    virtual DWORD GetWritableFolderA(const char* rootPath, char* buffer, DWORD bufferLength) = 0;
    // A short text naming what may still answer reads of the volume of `rootPath` from a
    // cache even for a file opened with FILE_FLAG_NO_BUFFERING (a user-space file system,
    // a network client, a disk image read through the host's cache). Returns its length;
    // 0 with ERROR_SUCCESS when reads reach the medium, 0 with the error code when the
    // volume cannot be looked at.
    virtual DWORD GetReadCacheLayerA(const char* rootPath, char* buffer, DWORD bufferLength) = 0;
};

// ---------------------------------------------------------------------------------------
// System facts
// ---------------------------------------------------------------------------------------
struct LocaleSeparators {
    std::string decimal = ".";    // UTF-8; may be more than one byte
    std::string thousands = ",";  // UTF-8; may be empty or more than one byte (U+202F, U+2019)
};

class ISystem {
public:
    virtual ~ISystem() = default;

    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD error) = 0;

    virtual BOOL GetVersionExA(OSVERSIONINFOA* info) = 0;

    // Token queries of the administrator test. The TokenGroups buffer is laid out as the
    // 32-bit system lays TOKEN_GROUPS, with byte offsets from the buffer start in place of
    // the SID pointers: DWORD GroupCount; then GroupCount x { DWORD SidOffset; DWORD
    // Attributes }; then the SIDs (revision, count, 6-byte authority, count x DWORD).
    virtual BOOL OpenThreadToken(DWORD desiredAccess, BOOL openAsSelf, HANDLE* token) = 0;
    virtual BOOL OpenProcessToken(DWORD desiredAccess, HANDLE* token) = 0;
    virtual BOOL GetTokenInformation(HANDLE token, DWORD informationClass, void* buffer,
                                     DWORD length, DWORD* returnLength) = 0;

    // The user's number separators (the locale's LC_NUMERIC on the real machine).
    virtual LocaleSeparators GetLocaleSeparators() = 0;

    virtual DWORD GetTickCount() = 0;
    // A monotonic clock in nanoseconds (simulated machines advance it deterministically).
    virtual uint64_t MonotonicNanoseconds() = 0;
    virtual void Sleep(DWORD milliseconds) = 0;

    // The system's message text for an error code (FormatMessage with FROM_SYSTEM), with
    // its trailing CR LF.
    virtual std::string FormatMessageA(DWORD errorCode) = 0;

    // Run-time lookup of an entry point (LoadLibraryA + GetProcAddress + FreeLibrary).
    virtual HMODULE LoadLibraryA(const char* fileName) = 0;
    virtual BOOL GetProcAddress(HMODULE module, const char* procName) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;
};

// ---------------------------------------------------------------------------------------
// Registry (HKEY_CURRENT_USER). Calls return their error code, as on Windows.
// ---------------------------------------------------------------------------------------
class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD desired,
                                 HKEY* result, DWORD* disposition) = 0;
    virtual LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD desired,
                               HKEY* result) = 0;
    // data may be null to ask for type and size. ERROR_MORE_DATA when *dataSize is too small
    // (then *dataSize holds the size needed); ERROR_FILE_NOT_FOUND for a missing value.
    virtual LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data,
                                  DWORD* dataSize) = 0;
    virtual LONG RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data,
                                DWORD dataSize) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
};

// ---------------------------------------------------------------------------------------
// Network connections. Calls return their error code, as on Windows.
// ---------------------------------------------------------------------------------------
class INetwork {
public:
    virtual ~INetwork() = default;
    // localName "X:". NO_ERROR and the UNC remote name; ERROR_CONNECTION_UNAVAIL (1201) for a
    // remembered connection that cannot be reached; ERROR_NOT_CONNECTED for no connection;
    // ERROR_MORE_DATA when *length is too small.
    virtual DWORD WNetGetConnectionA(const char* localName, char* remoteName, DWORD* length) = 0;
    // The system's connect and disconnect dialogs (on Linux: Zorvane's own, shown through the
    // desktop services the window installs).
    virtual DWORD WNetConnectionDialog(HWND owner, DWORD type) = 0;
    virtual DWORD WNetDisconnectDialog(HWND owner, DWORD type) = 0;
    // What those dialogs carry out: connect a remote ("\\server\share", "smb://...",
    // "sftp://...", "user@host:/path") to a letter, and cancel a letter's connection.
    virtual DWORD WNetAddConnection2A(const char* remoteName, const char* localName,
                                      const char* userName, DWORD flags) = 0;
    virtual DWORD WNetCancelConnection2A(const char* name, DWORD flags, BOOL force) = 0;
    // The tool's own message for the last failed add or cancel ("" when none).
    virtual std::string LastConnectionMessage() = 0;
};

// ---------------------------------------------------------------------------------------
// Shell, automation and multimedia commands
// ---------------------------------------------------------------------------------------
class IShell {
public:
    virtual ~IShell() = default;
    // Pointers may be null (absent) or "" (empty text): the two are told apart. Returns a
    // value greater than 32 on success.
    virtual int64_t ShellExecuteA(HWND owner, const char* operation, const char* file,
                                  const char* parameters, const char* directory, int showCmd) = 0;
    virtual BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) = 0;
    // Returns a value greater than 31 on success.
    virtual UINT WinExec(const char* cmdLine, UINT showCmd) = 0;
    // SHBrowseForFolderA + SHGetPathFromIDListA: TRUE and the chosen folder, FALSE on cancel.
    virtual BOOL BrowseForFolderA(HWND owner, const char* title, DWORD flags, std::string* path) = 0;
    // Late-bound automation: create the object by its registered name and call a method
    // without arguments (names match without regard to case). S_OK, or a failure HRESULT
    // with its message in *errorText.
    virtual HRESULT AutomationCall(const char* progId, const char* method, std::string* errorText) = 0;
    // Multimedia control interface. 0 on success, an MCIERR_* code otherwise.
    virtual DWORD mciSendStringA(const char* command, char* returnString, UINT returnLength,
                                 HWND callback) = 0;
    virtual DWORD mciSendCommandA(MCIDEVICEID device, UINT message, DWORD flags, void* params) = 0;
};

// ---------------------------------------------------------------------------------------
// The format-and-check library ("fmifs.dll", entry point "Chkdsk")
// ---------------------------------------------------------------------------------------
// Callback command numbers and their data.
inline constexpr DWORD FMIFS_PROGRESS = 0;   // data: DWORD* percent
inline constexpr DWORD FMIFS_DONE = 11;      // data: BOOLEAN* success
inline constexpr DWORD FMIFS_OUTPUT = 14;    // data: TEXTOUTPUT*
struct TEXTOUTPUT {
    DWORD Lines = 0;
    const char* Output = nullptr;
};
// No user context, as in the system library: the caller reaches its engine through its own
// process-wide reference. Returns nonzero to continue, zero to stop.
using FmifsCallback = BOOLEAN (*)(DWORD command, DWORD subAction, void* data);

class ICheckLibrary {
public:
    virtual ~ICheckLibrary() = default;
    // The nine arguments of the entry point; booleans are 0 or all bits set. Runs the whole
    // check before returning and reports through the callback only. Only valid after
    // ISystem::LoadLibraryA("fmifs.dll") and GetProcAddress(..., "Chkdsk") succeeded.
    virtual void Chkdsk(const char16_t* driveRoot, const char16_t* fileSystemName,
                        BOOL correctErrors, BOOL verbose, BOOL checkOnlyIfDirty, BOOL scanDrive,
                        void* reserved1, void* reserved2, FmifsCallback callback) = 0;
};

// ---------------------------------------------------------------------------------------
// The management instrumentation service ("WbemScripting.SWbemLocator")
// ---------------------------------------------------------------------------------------
struct ManagementValue {
    enum class Kind { Null, Text, Integer, IntegerArray };
    Kind kind = Kind::Null;
    std::string text;
    int64_t integer = 0;
    std::vector<int64_t> array;
};
struct ManagementObject {
    std::vector<std::pair<std::string, ManagementValue>> properties;
    // Null value when absent.
    const ManagementValue* find(const std::string& name) const {
        for (const auto& [key, value] : properties)
            if (key == name) return &value;
        return nullptr;
    }
};

class IManagement {
public:
    virtual ~IManagement() = default;
    // ConnectServer(server, namespace, user, password) then ExecQuery(query). S_OK and the
    // rows, or a failure HRESULT with its message in *errorText.
    virtual HRESULT ExecQuery(const char* server, const char* nameSpace, const char* query,
                              std::vector<ManagementObject>* rows, std::string* errorText) = 0;
};

// ---------------------------------------------------------------------------------------
// Desktop dialogs that a backend may need to show (installed by the window program; absent
// on the command line). The real machine uses them for the Windows dialogs it stands in for.
// ---------------------------------------------------------------------------------------
class IDesktopDialogs {
public:
    virtual ~IDesktopDialogs() = default;
    virtual void showDriveProperties(char letter) = 0;
    virtual void showMapNetworkDrive() = 0;
    virtual void showDisconnectNetworkDrive() = 0;
    virtual bool browseForFolder(const std::string& title, std::string* path) = 0;
    virtual void showMessage(const std::string& title, const std::string& text) = 0;
    // Asks for confirmation before a destructive tool runs.
    virtual bool confirm(const std::string& title, const std::string& text) = 0;
    // The letter of the drive selected in the main window, 0 when none: the system tools that
    // work on "the selected drive" (defragmenter, safe removal, formatter) take it from here.
    virtual char selectedDrive() { return 0; }
    // Minimizes the program's own windows (where the desktop offers no "minimize all").
    virtual void minimizeOwnWindows() {}
};

// ---------------------------------------------------------------------------------------
// The aggregate handed to the logic.
// ---------------------------------------------------------------------------------------
class Platform {
public:
    virtual ~Platform() = default;

    virtual IDrives& drives() = 0;
    virtual IDosServices& dos() = 0;
    virtual IIo& io() = 0;
    virtual ISystem& system() = 0;
    virtual IRegistry& registry() = 0;
    virtual INetwork& network() = 0;
    virtual IShell& shell() = 0;
    virtual ICheckLibrary& checkLibrary() = 0;
    virtual IManagement& management() = 0;

    // Null until the window program installs them.
    virtual void setDesktopDialogs(IDesktopDialogs* dialogs) = 0;

    DWORD GetLastError() { return system().GetLastError(); }
};

}  // namespace zv::platform
