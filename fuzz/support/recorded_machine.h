// The recorded machines of the Linux backend's tests (tests/platform_linux/data), unpacked
// once per fuzz process into a temporary system root, and a backend that reads them.
#pragma once

#include "platform/api/platform.h"
#include "platform/linux/sys_seam.h"

#include <memory>
#include <string>

namespace zv::fuzz {

// The system root of the recorded machine `name` ("desktop", "laptop", "server"), unpacked
// at the first call and removed when the process ends. Its /dev holds files for the
// device nodes the recorded tables name.
const std::string& recordedRoot(const std::string& name);
// Per-user folders (configuration, runtime) of that machine's scratch area.
std::string recordedConfigDir(const std::string& name);
std::string recordedRuntimeDir(const std::string& name);

// The Linux backend on a recorded machine, with every device call going through `seam`.
// Pauses (ISystem::Sleep) take no time, so that a readiness wait does not slow the fuzzer.
std::unique_ptr<platform::Platform> recordedLinuxPlatform(const std::string& name, lnx::SysSeam& seam);

// Writes `bytes` to a file (created or replaced).
void writeFile(const std::string& path, const uint8_t* bytes, size_t size);

}  // namespace zv::fuzz
