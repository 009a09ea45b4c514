// System facts of the simulated machine (ISystem): last error, version, the token of the
// administrator test, locale separators, the simulated clock, messages and libraries.
#pragma once

#include "platform/sim/sim_core.h"

namespace zv::sim {

class SimSystem final : public platform::ISystem {
public:
    explicit SimSystem(SimCore& core) : m_core(core) {}

    DWORD GetLastError() override { return m_core.lastError(); }
    void SetLastError(DWORD error) override { m_core.setLastError(error); }
    BOOL GetVersionExA(OSVERSIONINFOA* info) override;
    BOOL OpenThreadToken(DWORD desiredAccess, BOOL openAsSelf, HANDLE* token) override;
    BOOL OpenProcessToken(DWORD desiredAccess, HANDLE* token) override;
    BOOL GetTokenInformation(HANDLE token, DWORD informationClass, void* buffer, DWORD length,
                             DWORD* returnLength) override;
    platform::LocaleSeparators GetLocaleSeparators() override;
    DWORD GetTickCount() override;
    uint64_t MonotonicNanoseconds() override;
    void Sleep(DWORD milliseconds) override;
    std::string FormatMessageA(DWORD errorCode) override;
    HMODULE LoadLibraryA(const char* fileName) override;
    BOOL GetProcAddress(HMODULE module, const char* procName) override;
    BOOL FreeLibrary(HMODULE module) override;

    // Whether a feature provides the check library (fmifs.dll loads by default then).
    void setCheckLibraryPresent(bool present) { m_checkLibraryPresent = present; }

private:
    BOOL openToken(CallRecord& call, DWORD access, HANDLE* token);
    bool libraryExports(const std::string& library, const std::string& entry, bool* known) const;

    SimCore& m_core;
    bool m_checkLibraryPresent = false;
};

// The system's text of an error code with its CR LF, "" for an unknown code.
std::string systemMessage(DWORD code);
// The groups of the process token laid out as platform.h describes.
std::vector<uint8_t> tokenGroups(bool administrator, uint32_t groupCount);

}  // namespace zv::sim
