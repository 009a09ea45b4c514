// The registry of the simulated machine (IRegistry): HKEY_CURRENT_USER with keys created on
// demand, typed values and the access each key was opened with.
#pragma once

#include "platform/sim/sim_core.h"

namespace zv::sim {

class SimRegistry final : public platform::IRegistry {
public:
    explicit SimRegistry(SimCore& core) : m_core(core) {}

    LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD desired, HKEY* result,
                         DWORD* disposition) override;
    LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD desired, HKEY* result) override;
    LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data, DWORD* dataSize) override;
    LONG RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data, DWORD dataSize) override;
    LONG RegCloseKey(HKEY key) override;

private:
    struct Base {
        SimRegistryKey* key = nullptr;
        std::string path;
        DWORD access = 0;
        LONG error = 0;
    };
    Base base(HKEY key);
    // The key that subKey names from `from` ("\..." starts at the root).
    std::string joinPath(const Base& from, const char* subKey) const;

    SimCore& m_core;
};

std::string renderKey(HKEY key);

}  // namespace zv::sim
