// The program version, one value for both programs (set from the CMake project version).
#pragma once

namespace zv {

// "MAJOR.MINOR.PATCH", as in the project's CMakeLists.txt.
const char* zorvaneVersion();

}  // namespace zv
