// The concerns of the Linux backend, each built in its own file around the shared context.
#pragma once

#include "platform/api/platform.h"
#include "platform/linux/linux_context.h"

#include <memory>
#include <string>

namespace zv::lnx {

std::unique_ptr<platform::IDrives> makeLinuxDrives(LinuxContext& ctx);         // drives.cpp
std::unique_ptr<platform::IDosServices> makeLinuxDos(LinuxContext& ctx);       // dos.cpp
std::unique_ptr<platform::IIo> makeLinuxIo(LinuxContext& ctx);                 // io.cpp
std::unique_ptr<platform::ISystem> makeLinuxSystem(LinuxContext& ctx);         // system.cpp
std::unique_ptr<platform::IRegistry> makeLinuxRegistry(LinuxContext& ctx);     // registry.cpp
std::unique_ptr<platform::INetwork> makeLinuxNetwork(LinuxContext& ctx);       // network.cpp

// Text into a caller's buffer of `size` characters with its NUL; false (nothing written
// but an empty string) when it does not fit.
bool copyText(char* buffer, DWORD size, const std::string& text);
// The letter of a root or drive path ("C:\", "c:", "C:\dir"); 0 when there is none.
char driveLetterOf(const char* path);

}  // namespace zv::lnx
