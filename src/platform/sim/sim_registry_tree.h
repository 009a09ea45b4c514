// Paths in the simulated registry tree: names separated by "\", matched without regard to
// case.
#pragma once

#include "platform/sim/sim_model.h"

#include <string>
#include <vector>

namespace zv::sim {

// The names of a key path; empty parts (leading, doubled or trailing "\") are dropped.
std::vector<std::string> registryPathParts(const std::string& path);
// The key at `path` below `from`, or null.
SimRegistryKey* registryFind(SimRegistryKey& from, const std::string& path);
// The key at `path` below `from`, created with its parents when missing; *created tells
// whether the last key was new. Null for a path with an invalid name.
SimRegistryKey* registryCreatePath(SimRegistryKey& from, const std::string& path, bool* created = nullptr);

}  // namespace zv::sim
