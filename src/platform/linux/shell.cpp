// Shell launches on the real machine: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

namespace {
class MissingShell final : public platform::IShell {
public:
    explicit MissingShell(LinuxContext& ctx) : m_ctx(ctx) {}
    int64_t ShellExecuteA(HWND, const char*, const char*, const char*, const char*, int) override { return 2; }
    BOOL ShellExecuteExA(SHELLEXECUTEINFOA*) override { return FALSE; }
    UINT WinExec(const char*, UINT) override { return 2; }
    BOOL BrowseForFolderA(HWND, const char*, DWORD, std::string*) override { return FALSE; }
    HRESULT AutomationCall(const char*, const char*, std::string* errorText) override {
        if (errorText) *errorText = "Not available.";
        return E_NOTIMPL;
    }
    DWORD mciSendStringA(const char* command, char* ret, UINT len, HWND) override {
        return linuxMciSendString(m_ctx, command, ret, len);
    }
    DWORD mciSendCommandA(MCIDEVICEID device, UINT message, DWORD flags, void* params) override {
        return linuxMciSendCommand(m_ctx, device, message, flags, params);
    }

private:
    LinuxContext& m_ctx;
};
}  // namespace

std::unique_ptr<platform::IShell> makeLinuxShell(LinuxContext& ctx) { return std::make_unique<MissingShell>(ctx); }

}  // namespace zv::lnx
