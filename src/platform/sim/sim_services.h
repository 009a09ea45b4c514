// The check library and the management service as the core hands them out: logged and
// subject to faults, served by the first feature that provides them, else missing.
#pragma once

#include "platform/sim/sim_core.h"

namespace zv::sim {

class SimCheckLibrary final : public platform::ICheckLibrary {
public:
    explicit SimCheckLibrary(SimCore& core) : m_core(core) {}
    void Chkdsk(const char16_t* driveRoot, const char16_t* fileSystemName, BOOL correctErrors, BOOL verbose,
                BOOL checkOnlyIfDirty, BOOL scanDrive, void* reserved1, void* reserved2,
                platform::FmifsCallback callback) override;
    platform::ICheckLibrary* provider() const;

private:
    SimCore& m_core;
};

class SimManagement final : public platform::IManagement {
public:
    explicit SimManagement(SimCore& core) : m_core(core) {}
    HRESULT ExecQuery(const char* server, const char* nameSpace, const char* query,
                      std::vector<platform::ManagementObject>* rows, std::string* errorText) override;

private:
    SimCore& m_core;
};

}  // namespace zv::sim
