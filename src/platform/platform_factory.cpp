#include "platform/platform_factory.h"

#include "platform/linux/linux_platform.h"
#include "platform/sim/sim_platform.h"

#include <cstdlib>

namespace zv::platform {

std::string chosenMachineFile(const std::string& machineFile) {
    if (!machineFile.empty()) return machineFile;
    const char* fromEnvironment = std::getenv("ZORVANE_MACHINE");
    return fromEnvironment ? std::string(fromEnvironment) : std::string();
}

std::unique_ptr<Platform> createPlatform(const std::string& machineFile) {
    const std::string file = chosenMachineFile(machineFile);
    if (!file.empty()) return sim::SimPlatform::fromFile(file);
    auto real = lnx::makeLinuxPlatform(lnx::defaultLinuxOptions());
    if (!real) throw std::runtime_error("The real machine cannot be surveyed on this system.");
    return real;
}

}  // namespace zv::platform
