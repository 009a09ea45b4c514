// The benchmark's arithmetic: bytes per millisecond by integer division, then kibibytes
// per second rounded to the nearest whole number ("%d kb/sec").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zv::tools {

// Speed in kibibytes per second of reading `bytes` in `nanoseconds`: bytes per millisecond
// = bytes x 10^6 / nanoseconds (rounded toward zero; exactly bytes / ms for whole
// milliseconds), speed = bytes per millisecond / 1.024 rounded. nullopt for an interval of
// zero, where the figure cannot be formed ("Number too big").
std::optional<int64_t> readSpeedKbPerSec(uint64_t bytes, uint64_t nanoseconds);

// "%d kb/sec".
std::string speedText(int64_t kbPerSec);

}  // namespace zv::tools
