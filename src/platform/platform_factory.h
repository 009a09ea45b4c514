// Chooses the backend: a machine file given on the command line, else the file named by
// ZORVANE_MACHINE, else the real machine.
#pragma once

#include "platform/api/platform.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace zv::platform {

// Throws sim::MachineFileError for a bad machine file, std::runtime_error when the real
// machine cannot be reached.
std::unique_ptr<Platform> createPlatform(const std::string& machineFile = {});

// The machine file in use ("" for the real machine), as createPlatform would choose it.
std::string chosenMachineFile(const std::string& machineFile = {});

}  // namespace zv::platform
