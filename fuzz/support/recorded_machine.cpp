#include "support/recorded_machine.h"

#include "platform/linux/linux_platform.h"
#include "platform_linux/recorded_tree.h"

#include <fcntl.h>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::fuzz {

namespace {

using namespace zv::win;

// The real system's calls, except that pauses take no time: the readiness wait of the
// optical queries pauses before every attempt.
class QuickSystem final : public platform::ISystem {
public:
    explicit QuickSystem(platform::ISystem& inner) : m(inner) {}
    DWORD GetLastError() override { return m.GetLastError(); }
    void SetLastError(DWORD error) override { m.SetLastError(error); }
    BOOL GetVersionExA(OSVERSIONINFOA* info) override { return m.GetVersionExA(info); }
    BOOL OpenThreadToken(DWORD access, BOOL self, HANDLE* token) override { return m.OpenThreadToken(access, self, token); }
    BOOL OpenProcessToken(DWORD access, HANDLE* token) override { return m.OpenProcessToken(access, token); }
    BOOL GetTokenInformation(HANDLE token, DWORD kind, void* buffer, DWORD length, DWORD* returned) override {
        return m.GetTokenInformation(token, kind, buffer, length, returned);
    }
    platform::LocaleSeparators GetLocaleSeparators() override { return m.GetLocaleSeparators(); }
    DWORD GetTickCount() override { return m.GetTickCount(); }
    uint64_t MonotonicNanoseconds() override { return m.MonotonicNanoseconds(); }
    void Sleep(DWORD) override {}
    std::string FormatMessageA(DWORD code) override { return m.FormatMessageA(code); }
    HMODULE LoadLibraryA(const char* name) override { return m.LoadLibraryA(name); }
    BOOL GetProcAddress(HMODULE module, const char* name) override { return m.GetProcAddress(module, name); }
    BOOL FreeLibrary(HMODULE module) override { return m.FreeLibrary(module); }

private:
    platform::ISystem& m;
};

class QuickPlatform final : public platform::Platform {
public:
    explicit QuickPlatform(std::unique_ptr<platform::Platform> inner) : m_inner(std::move(inner)), m(*m_inner), m_system(m.system()) {}
    platform::IDrives& drives() override { return m.drives(); }
    platform::IDosServices& dos() override { return m.dos(); }
    platform::IIo& io() override { return m.io(); }
    platform::ISystem& system() override { return m_system; }
    platform::IRegistry& registry() override { return m.registry(); }
    platform::INetwork& network() override { return m.network(); }
    platform::IShell& shell() override { return m.shell(); }
    platform::ICheckLibrary& checkLibrary() override { return m.checkLibrary(); }
    platform::IManagement& management() override { return m.management(); }
    void setDesktopDialogs(platform::IDesktopDialogs* dialogs) override { m.setDesktopDialogs(dialogs); }

private:
    std::unique_ptr<platform::Platform> m_inner;
    platform::Platform& m;
    QuickSystem m_system;
};

std::map<std::string, std::unique_ptr<lnx::test::RecordedTree>>& trees() {
    static std::map<std::string, std::unique_ptr<lnx::test::RecordedTree>> unpacked;
    return unpacked;
}

const lnx::test::RecordedTree& tree(const std::string& name) {
    auto& all = trees();
    auto found = all.find(name);
    if (found != all.end()) return *found->second;
    auto unpacked = std::make_unique<lnx::test::RecordedTree>(name);
    const std::string dev = unpacked->root() + "/dev";
    ::mkdir(dev.c_str(), 0755);
    // Device nodes of the recorded tables as plain files: the optical rights test looks for
    // them, and every open goes through the seam anyway.
    for (const char* node : {"sr0", "sr1", "sda", "sdb", "sdc", "nvme0n1"}) {
        const std::string path = dev + "/" + node;
        writeFile(path, nullptr, 0);
    }
    return *all.emplace(name, std::move(unpacked)).first->second;
}

}  // namespace

const std::string& recordedRoot(const std::string& name) { return tree(name).root(); }
std::string recordedConfigDir(const std::string& name) { return tree(name).configDir(); }
std::string recordedRuntimeDir(const std::string& name) { return tree(name).runtimeDir(); }

std::unique_ptr<platform::Platform> recordedLinuxPlatform(const std::string& name, lnx::SysSeam& seam) {
    lnx::LinuxOptions options;
    options.sysRoot = recordedRoot(name);
    options.configDir = recordedConfigDir(name);
    options.runtimeDir = recordedRuntimeDir(name);
    options.seam = &seam;
    return std::make_unique<QuickPlatform>(lnx::makeLinuxPlatform(options));
}

void writeFile(const std::string& path, const uint8_t* bytes, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("cannot write " + path);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n <= 0) break;
        done += size_t(n);
    }
    ::close(fd);
    if (done != size) throw std::runtime_error("cannot write " + path);
}

}  // namespace zv::fuzz
