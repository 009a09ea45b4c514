// The real machine: every concern built around one shared context.
#include "platform/linux/linux_platform.h"

#include "platform/linux/linux_concerns.h"
#include "platform/linux/linux_parts.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

class LinuxPlatform final : public platform::Platform {
public:
    explicit LinuxPlatform(LinuxOptions options)
        : m_ctx(std::move(options)),
          m_drives(makeLinuxDrives(m_ctx)),
          m_dos(makeLinuxDos(m_ctx)),
          m_io(makeLinuxIo(m_ctx)),
          m_system(makeLinuxSystem(m_ctx)),
          m_registry(makeLinuxRegistry(m_ctx)),
          m_network(makeLinuxNetwork(m_ctx)),
          m_shell(makeLinuxShell(m_ctx)),
          m_checkLibrary(makeLinuxCheckLibrary(m_ctx)),
          m_management(makeLinuxManagement(m_ctx)) {}

    platform::IDrives& drives() override { return *m_drives; }
    platform::IDosServices& dos() override { return *m_dos; }
    platform::IIo& io() override { return *m_io; }
    platform::ISystem& system() override { return *m_system; }
    platform::IRegistry& registry() override { return *m_registry; }
    platform::INetwork& network() override { return *m_network; }
    platform::IShell& shell() override { return *m_shell; }
    platform::ICheckLibrary& checkLibrary() override { return *m_checkLibrary; }
    platform::IManagement& management() override { return *m_management; }
    void setDesktopDialogs(platform::IDesktopDialogs* dialogs) override { m_ctx.dialogs = dialogs; }

private:
    LinuxContext m_ctx;
    std::unique_ptr<platform::IDrives> m_drives;
    std::unique_ptr<platform::IDosServices> m_dos;
    std::unique_ptr<platform::IIo> m_io;
    std::unique_ptr<platform::ISystem> m_system;
    std::unique_ptr<platform::IRegistry> m_registry;
    std::unique_ptr<platform::INetwork> m_network;
    std::unique_ptr<platform::IShell> m_shell;
    std::unique_ptr<platform::ICheckLibrary> m_checkLibrary;
    std::unique_ptr<platform::IManagement> m_management;
};

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value == '/' ? std::string(value) : std::string();
}

std::string homeFolder() {
    std::string home = environment("HOME");
    if (home.empty())
        if (passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir ? pw->pw_dir : "";
    return home;
}

// The session's runtime folder; without XDG_RUNTIME_DIR the login's /run/user/<uid>, else
// a private folder in /tmp (which then lasts until the machine restarts).
std::string runtimeFolder() {
    std::string base = environment("XDG_RUNTIME_DIR");
    if (base.empty()) {
        std::string perUser = "/run/user/" + std::to_string(::getuid());
        struct stat st;
        if (::stat(perUser.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid()) base = perUser;
    }
    if (base.empty()) return "/tmp/zorvane-" + std::to_string(::getuid());
    return base + "/zorvane";
}

}  // namespace

LinuxOptions defaultLinuxOptions() {
    LinuxOptions options;
    options.sysRoot = "/";
    options.runtimeDir = runtimeFolder();
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty()) config = homeFolder() + "/.config";
    options.configDir = config + "/zorvane";
    options.seam = &realSysSeam();
    return options;
}

std::unique_ptr<platform::Platform> makeLinuxPlatform(LinuxOptions options) {
    return std::make_unique<LinuxPlatform>(std::move(options));
}

}  // namespace zv::lnx
