// The shared state of a running simulated machine: the model, the handle and key tables,
// the clock, the last error, the call log and the faults. The concern classes (drives, io,
// system, registry, network, shell) work on it; features reach it as a SimContext.
#pragma once

#include "platform/sim/sim_feature.h"
#include "platform/sim/sim_model.h"
#include "platform/sim/sim_platform.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zv::sim {

struct SimHandle {
    enum class Kind { File, Device, VolumeSearch, Token };
    Kind kind = Kind::File;
    DWORD access = 0;
    DWORD share = 0;
    DWORD flags = 0;
    std::string path;        // File: canonical path
    uint64_t position = 0;   // File
    SimDrive* drive = nullptr;  // File and letter devices: the drive holding it
    SimDeviceTarget device;  // Device
    std::vector<std::string> volumeNames;  // VolumeSearch
    size_t nextVolume = 0;
};

struct SimOpenKey {
    SimRegistryKey* key = nullptr;
    std::string path;  // as opened, for the call log and faults
    DWORD access = 0;
};

// What a call offers for fault matching.
struct FaultProbe {
    FaultProbe(const char* operation_, char letter_ = 0, std::string target_ = {},
               std::optional<DWORD> code_ = std::nullopt, std::optional<uint8_t> opcode_ = std::nullopt)
        : operation(operation_), letter(letter_), target(std::move(target_)), code(code_), opcode(opcode_) {}
    const char* operation;
    char letter;
    std::string target;
    std::optional<DWORD> code;
    std::optional<uint8_t> opcode;
};

// A path on a drive letter, with substitute letters resolved to their targets.
struct ResolvedPath {
    SimDrive* drive = nullptr;
    std::string canonical;  // on the drive that holds it ("C:\TEMP\X.TMP")
    DWORD error = 0;        // nonzero: the path cannot be used
};

class SimCore final : public SimContext {
public:
    explicit SimCore(std::string fileName);

    SimMachine& machine() { return m_machine; }
    const SimMachine& machine() const { return m_machine; }
    std::vector<std::unique_ptr<SimFeature>>& features() { return m_features; }

    // ---- Call log ----
    void beginCall(std::string operation, std::vector<std::string> arguments);
    void callInput(const void* bytes, size_t size);
    void endCall(std::string result);
    const std::vector<SimCall>& calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); m_current = -1; }

    // A fault that applies to this call: its delay is added to the clock; the error it
    // carries (if any) is returned.
    std::optional<DWORD> fault(const FaultProbe& probe);

    // ---- Errors, clock, modes ----
    DWORD lastError() const { return m_lastError; }
    UINT errorMode() const { return m_errorMode; }
    void setErrorMode(UINT mode) { m_errorMode = mode; }
    void countUnknownRequest(const std::string& what);
    int unknownRequests() const { return m_unknownRequests; }
    // A call on an empty drive while critical-error dialogs are not suppressed.
    void noteMissingMedium(char letter);
    int criticalErrorDialogs() const { return m_criticalErrorDialogs; }

    // ---- Drives ----
    // The drive a letter stands for now (substitutes resolved); null when none.
    SimDrive* drive(char letter) const;
    bool letterDefined(char letter) const { return letter >= 'A' && letter <= 'Z' && !m_machine.definitions[letter - 'A'].empty(); }
    // The folder of a substitute letter ("C:\Temp"), "" when it is none.
    std::string substituteTarget(char letter) const;
    // The DOS-device target text of a definition.
    static std::string definitionText(const SimDosDefinition& definition);
    ResolvedPath resolvePath(const std::string& path) const;
    bool folderExists(const std::string& canonical) const;
    void addFolder(const std::string& canonical);

    // ---- Handles ----
    HANDLE addHandle(SimHandle handle);
    SimHandle* handle(HANDLE value);
    bool closeHandle(HANDLE value);
    int handleCount() const { return int(m_handles.size() + m_modules.size()); }
    const std::map<HANDLE, SimHandle>& handles() const { return m_handles; }

    HMODULE addModule(std::string name);
    const std::string* module(HMODULE value) const;
    bool freeModule(HMODULE value);

    HKEY addKey(SimOpenKey key);
    SimOpenKey* key(HKEY value);
    bool closeKey(HKEY value);
    int keyCount() const { return int(m_keys.size()); }

    // ---- SimContext ----
    void setLastError(DWORD error) override { m_lastError = error; }
    uint64_t nowNanoseconds() const override { return m_clock; }
    void advanceClock(uint64_t nanoseconds) override { m_clock += nanoseconds; }
    UINT driveType(char letter) const override;
    bool mediumPresent(char letter) const override;
    void setMediumPresent(char letter, bool present) override;
    bool isAdministrator() const override { return m_machine.administrator; }
    void note(const std::string& text) override;
    const std::string& fileName() const override { return m_fileName; }

    void startClock() { m_clock = m_machine.startMs * 1000000ull; m_errorMode = m_machine.errorMode; }

private:
    std::string m_fileName;
    SimMachine m_machine;
    std::vector<std::unique_ptr<SimFeature>> m_features;

    std::vector<SimCall> m_calls;
    long m_current = -1;
    DWORD m_lastError = 0;
    uint64_t m_clock = 0;
    UINT m_errorMode = 0;
    int m_unknownRequests = 0;
    int m_criticalErrorDialogs = 0;

    std::map<HANDLE, SimHandle> m_handles;
    HANDLE m_nextHandle = 4;
    std::map<HMODULE, std::string> m_modules;
    HMODULE m_nextModule = 0x10000000;
    std::map<HKEY, SimOpenKey> m_keys;
    HKEY m_nextKey = 0x1000;
};

// Records one call in the log; the result is set by one of the finishing members.
class CallRecord {
public:
    CallRecord(SimCore& core, std::string operation, std::vector<std::string> arguments)
        : m_core(core) {
        m_core.beginCall(std::move(operation), std::move(arguments));
    }
    ~CallRecord() {
        if (!m_done) m_core.endCall("?");
    }
    CallRecord(const CallRecord&) = delete;
    CallRecord& operator=(const CallRecord&) = delete;

    void input(const void* bytes, size_t size) { m_core.callInput(bytes, size); }
    void done(std::string text) { finish(0, std::move(text)); }
    void note(const std::string& text) { m_core.note(text); }

    // BOOL calls.
    BOOL succeed() { return finish(TRUE, "TRUE"); }
    BOOL fail(DWORD error) {
        m_core.setLastError(error);
        return finish(FALSE, "FALSE (" + std::to_string(error) + ")");
    }
    template <typename T>
    T result(T value, std::string text) { return finish(value, std::move(text)); }
    // Calls that return their error code (registry, network).
    template <typename T>
    T code(T value) { return finish(value, std::to_string(value)); }

private:
    template <typename T>
    T finish(T value, std::string text) {
        m_done = true;
        m_core.endCall(std::move(text));
        return value;
    }
    SimCore& m_core;
    bool m_done = false;
};

}  // namespace zv::sim
