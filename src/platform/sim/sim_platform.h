// The simulated machine: a Platform described by a machine file (JSON), for tests, demos
// and bug reports. It is stateful (an eject empties the tray, a registry write stays), logs
// every call it receives, counts open handles and keys, and answers device requests byte
// for byte, refusing any request that a real device would refuse.
#pragma once

#include "platform/api/platform.h"

#include <memory>
#include <string>
#include <vector>

namespace zv::sim {

using namespace zv::win;

// One received call, as the logic passed it.
struct SimCall {
    std::string operation;              // "CreateFileA", "DeviceIoControl", "ShellExecuteA", ...
    std::vector<std::string> arguments; // rendered arguments ("\\\\.\\C:", "0xC0000000", ...)
    std::vector<uint8_t> input;         // request bytes (device control input, pass-through block, CDB)
    std::string result;                 // rendered result ("TRUE", "FALSE (21)", "0x...")
    std::vector<std::string> notes;     // remarks of the device (decoded request, fault applied)
};

class SimPlatform : public platform::Platform {
public:
    // Throws MachineFileError naming the file, the place and what is wrong.
    static std::unique_ptr<SimPlatform> fromFile(const std::string& path);
    static std::unique_ptr<SimPlatform> fromText(const std::string& jsonText, const std::string& name);

    ~SimPlatform() override;

    // What the logic did, for tests.
    virtual const std::vector<SimCall>& calls() const = 0;
    virtual void clearCalls() = 0;
    // Handles (files, devices, searches, tokens) and registry keys still open.
    virtual int openHandleCount() const = 0;
    virtual int openKeyCount() const = 0;
    virtual UINT currentErrorMode() const = 0;
    // Requests no simulated device understood (each also failed and was logged).
    virtual int unknownRequestCount() const = 0;
    // Calls that met an empty drive while critical-error dialogs were not suppressed
    // (SetErrorMode without SEM_FAILCRITICALERRORS): on Windows each shows a system dialog.
    virtual int criticalErrorDialogCount() const = 0;

    // Registry contents after the logic ran: type and bytes of HKCU\<key>\<value>; false when absent.
    virtual bool registryValue(const std::string& key, const std::string& value, DWORD* type,
                               std::vector<uint8_t>* data) const = 0;
    virtual bool registryKeyExists(const std::string& key) const = 0;
    // Text of a file of the simulated machine ("c:\autoexec.bat"); false when absent.
    virtual bool fileText(const std::string& path, std::string* text) const = 0;
};

}  // namespace zv::sim
