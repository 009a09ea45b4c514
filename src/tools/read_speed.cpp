#include "tools/read_speed.h"

#include <cmath>
#include <cstdio>

namespace zv::tools {

std::optional<int64_t> readSpeedKbPerSec(uint64_t bytes, uint64_t nanoseconds) {
    if (nanoseconds == 0) return std::nullopt;
    // 128-bit product: the test file may be large and the interval short.
    const unsigned __int128 scaled = static_cast<unsigned __int128>(bytes) * 1000000u;
    const auto bytesPerMillisecond = static_cast<uint64_t>(scaled / nanoseconds);
    return static_cast<int64_t>(std::llround(static_cast<double>(bytesPerMillisecond) / 1.024));
}

std::string speedText(int64_t kbPerSec) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%lld kb/sec", static_cast<long long>(kbPerSec));
    return buffer;
}

}  // namespace zv::tools
