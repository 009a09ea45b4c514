// Shell, automation and multimedia commands of the simulated machine (IShell): every call
// is logged with its arguments exactly; answers come from the machine file's script.
#pragma once

#include "platform/sim/sim_core.h"

namespace zv::sim {

class SimShell final : public platform::IShell {
public:
    explicit SimShell(SimCore& core) : m_core(core) {}

    int64_t ShellExecuteA(HWND owner, const char* operation, const char* file, const char* parameters,
                          const char* directory, int showCmd) override;
    BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) override;
    UINT WinExec(const char* cmdLine, UINT showCmd) override;
    BOOL BrowseForFolderA(HWND owner, const char* title, DWORD flags, std::string* path) override;
    HRESULT AutomationCall(const char* progId, const char* method, std::string* errorText) override;
    DWORD mciSendStringA(const char* command, char* returnString, UINT returnLength, HWND callback) override;
    DWORD mciSendCommandA(MCIDEVICEID device, UINT message, DWORD flags, void* params) override;

private:
    SimCore& m_core;
};

}  // namespace zv::sim
