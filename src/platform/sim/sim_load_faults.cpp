// The "faults" section: failures and delays injected into named operations.
#include "platform/sim/sim_loader.h"

#include <algorithm>

namespace zv::sim {

namespace {

// Every operation of the platform interface.
const char* const Operations[] = {
    "GetLogicalDrives", "GetLogicalDriveStringsA", "GetDriveTypeA", "GetVolumeInformationA",
    "GetVolumeInformationW", "GetDiskFreeSpaceExA", "GetDiskFreeSpaceA", "SetErrorMode", "QueryDosDeviceA",
    "DefineDosDeviceA", "GetShortPathNameA", "FindFirstVolumeA", "FindNextVolumeA", "FindVolumeClose", "VxDCall",
    "CreateFileA", "CreateFileW", "CloseHandle", "DeviceIoControl", "ScsiPassThroughDirect", "SetFilePointer",
    "ReadFile", "WriteFile", "FlushFileBuffers", "DeleteFileA", "FileExists", "AppendTextFile",
    "DiscardCachedData", "GetWritableFolderA", "GetReadCacheLayerA", "GetVolumeMountsA", "GetVersionExA", "OpenThreadToken", "OpenProcessToken",
    "GetTokenInformation", "GetLocaleSeparators", "GetTickCount", "MonotonicNanoseconds", "Sleep",
    "FormatMessageA", "LoadLibraryA", "GetProcAddress", "FreeLibrary", "RegCreateKeyExA", "RegOpenKeyExA",
    "RegQueryValueExA", "RegSetValueExA", "RegCloseKey", "WNetGetConnectionA", "WNetConnectionDialog",
    "WNetDisconnectDialog", "WNetAddConnection2A", "WNetCancelConnection2A", "ShellExecuteA", "ShellExecuteExA",
    "WinExec", "BrowseForFolderA", "AutomationCall", "mciSendStringA", "mciSendCommandA", "Chkdsk", "ExecQuery",
};

}  // namespace

void loadFaults(SimCore& core, const JsonReader& faults) {
    for (const JsonReader& entry : faults.items()) {
        entry.allowOnly({"operation", "target", "code", "opcode", "error", "after", "count", "delay_ms"});
        SimFault fault;
        fault.place = entry.pointer();
        fault.operation = entry.string("operation");
        if (std::find_if(std::begin(Operations), std::end(Operations),
                         [&](const char* name) { return fault.operation == name; }) == std::end(Operations))
            entry.child("operation").fail("unknown operation \"" + fault.operation + "\"");
        fault.target = entry.string("target", "");
        if (entry.has("code")) fault.code = readDword(entry, "code", 0);
        if (entry.has("opcode")) {
            const DWORD opcode = readDword(entry, "opcode", 0);
            if (opcode > 255) entry.child("opcode").fail("an operation code is one byte");
            fault.opcode = uint8_t(opcode);
        }
        if (entry.has("error")) fault.error = readErrorCode(entry, "error");
        fault.after = entry.unsignedInteger("after", 0);
        if (entry.has("count")) fault.count = entry.unsignedInteger("count");
        fault.delayMs = entry.unsignedInteger("delay_ms", 0);
        if (!fault.error && fault.delayMs == 0) entry.fail("a fault needs an \"error\" or a \"delay_ms\"");
        core.machine().faults.push_back(std::move(fault));
    }
}

}  // namespace zv::sim
