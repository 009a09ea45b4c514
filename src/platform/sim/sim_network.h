// Network connections of the simulated machine (INetwork).
#pragma once

#include "platform/sim/sim_core.h"

namespace zv::sim {

class SimNetwork final : public platform::INetwork {
public:
    explicit SimNetwork(SimCore& core) : m_core(core) {}

    DWORD WNetGetConnectionA(const char* localName, char* remoteName, DWORD* length) override;
    DWORD WNetConnectionDialog(HWND owner, DWORD type) override;
    DWORD WNetDisconnectDialog(HWND owner, DWORD type) override;
    DWORD WNetAddConnection2A(const char* remoteName, const char* localName, const char* userName,
                              DWORD flags) override;
    DWORD WNetCancelConnection2A(const char* name, DWORD flags, BOOL force) override;
    std::string LastConnectionMessage() override;

private:
    DWORD remember(DWORD result);
    DWORD cancelLetter(char letter, BOOL force);

    SimCore& m_core;
    std::string m_lastMessage;
};

}  // namespace zv::sim
