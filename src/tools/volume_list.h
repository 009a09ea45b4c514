// The system's volume names (\\?\Volume{...}\, each ending in a backslash), in the order
// the system enumerates them. The enumeration functions are looked up at run time, so
// that a system without them gives an empty list.
#pragma once

#include "platform/api/platform.h"

#include <string>
#include <vector>

namespace zv::tools {

// Never raises: a missing library or function, or no volume, gives an empty list.
std::vector<std::string> readVolumeNames(platform::Platform& platform);

}  // namespace zv::tools
