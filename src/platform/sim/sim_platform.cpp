// The concrete simulated machine: the shared core and one object per concern.
#include "platform/sim/sim_platform.h"

#include "platform/sim/machine_file_limits.h"
#include "platform/sim/sim_drives.h"
#include "platform/sim/sim_io.h"
#include "platform/sim/sim_loader.h"
#include "platform/sim/sim_network.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_registry_tree.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_text.h"


namespace zv::sim {

namespace {

class SimMachinePlatform final : public SimPlatform {
public:
    explicit SimMachinePlatform(const std::string& name)
        : m_core(name), m_drives(m_core), m_dos(m_core), m_io(m_core), m_system(m_core), m_registry(m_core),
          m_network(m_core), m_shell(m_core), m_checkLibrary(m_core), m_management(m_core) {}

    void load(const std::string& text) {
        loadMachineText(m_core, text);
        m_system.setCheckLibraryPresent(m_checkLibrary.provider() != nullptr);
    }

    platform::IDrives& drives() override { return m_drives; }
    platform::IDosServices& dos() override { return m_dos; }
    platform::IIo& io() override { return m_io; }
    platform::ISystem& system() override { return m_system; }
    platform::IRegistry& registry() override { return m_registry; }
    platform::INetwork& network() override { return m_network; }
    platform::IShell& shell() override { return m_shell; }
    platform::ICheckLibrary& checkLibrary() override { return m_checkLibrary; }
    platform::IManagement& management() override { return m_management; }
    void setDesktopDialogs(platform::IDesktopDialogs* dialogs) override { m_dialogs = dialogs; }

    const std::vector<SimCall>& calls() const override { return m_core.calls(); }
    void clearCalls() override { m_core.clearCalls(); }
    int openHandleCount() const override { return m_core.handleCount(); }
    int openKeyCount() const override { return m_core.keyCount(); }
    UINT currentErrorMode() const override { return m_core.errorMode(); }
    int unknownRequestCount() const override { return m_core.unknownRequests(); }
    int criticalErrorDialogCount() const override { return m_core.criticalErrorDialogs(); }

    bool registryValue(const std::string& key, const std::string& value, DWORD* type,
                       std::vector<uint8_t>* data) const override {
        SimRegistryKey* found = registryFind(const_cast<SimRegistryKey&>(m_core.machine().registryRoot), key);
        if (!found) return false;
        auto entry = found->values.find(upper(value));
        if (entry == found->values.end()) return false;
        if (type) *type = entry->second.type;
        if (data) *data = entry->second.data;
        return true;
    }

    bool registryKeyExists(const std::string& key) const override {
        return registryFind(const_cast<SimRegistryKey&>(m_core.machine().registryRoot), key) != nullptr;
    }

    bool fileText(const std::string& path, std::string* text) const override {
        const ResolvedPath resolved = m_core.resolvePath(path);
        if (!resolved.drive) return false;
        auto found = m_core.machine().files.find(resolved.canonical);
        if (found == m_core.machine().files.end()) return false;
        if (text) *text = found->second.text();
        return true;
    }

private:
    SimCore m_core;
    SimDrives m_drives;
    SimDos m_dos;
    SimIo m_io;
    SimSystem m_system;
    SimRegistry m_registry;
    SimNetwork m_network;
    SimShell m_shell;
    SimCheckLibrary m_checkLibrary;
    SimManagement m_management;
    platform::IDesktopDialogs* m_dialogs = nullptr;
};

}  // namespace

SimPlatform::~SimPlatform() = default;

std::unique_ptr<SimPlatform> SimPlatform::fromText(const std::string& jsonText, const std::string& name) {
    auto platform = std::make_unique<SimMachinePlatform>(name);
    platform->load(jsonText);
    return platform;
}

std::unique_ptr<SimPlatform> SimPlatform::fromFile(const std::string& path) {
    return fromText(readMachineFile(path), path);
}

}  // namespace zv::sim
