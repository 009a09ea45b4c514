#include "common/version.h"

namespace zv {

// ZV_VERSION is defined for this file alone (src/CMakeLists.txt), so that a new version
// recompiles one file.
const char* zorvaneVersion() { return ZV_VERSION; }

}  // namespace zv
