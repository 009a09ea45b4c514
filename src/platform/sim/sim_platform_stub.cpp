// Placeholder until the simulated machine's loader exists; removed when sim_platform.cpp lands.
#include "platform/sim/machine_file_error.h"
#include "platform/sim/sim_platform.h"

namespace zv::sim {

SimPlatform::~SimPlatform() = default;

std::unique_ptr<SimPlatform> SimPlatform::fromFile(const std::string& path) {
    throw MachineFileError(path, "line 1", "simulated machines are not available yet");
}
std::unique_ptr<SimPlatform> SimPlatform::fromText(const std::string&, const std::string& name) {
    throw MachineFileError(name, "line 1", "simulated machines are not available yet");
}

}  // namespace zv::sim
