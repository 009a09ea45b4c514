// Little- and big-endian field codecs for request blocks.
//
// Request blocks are built and read with these explicit codecs, never by casting packed
// structures, so that the same code builds a request in the logic, decodes it in a backend
// and builds an answer in a simulated device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace zv::codec {

inline uint16_t getLe16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t getLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t getLe64(const uint8_t* p) { return uint64_t(getLe32(p)) | (uint64_t(getLe32(p + 4)) << 32); }
inline uint16_t getBe16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }
inline uint32_t getBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

inline void putLe16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void putLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}
inline void putLe64(uint8_t* p, uint64_t v) { putLe32(p, uint32_t(v)); putLe32(p + 4, uint32_t(v >> 32)); }
inline void putBe16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v >> 8); p[1] = uint8_t(v); }
inline void putBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24); p[1] = uint8_t(v >> 16); p[2] = uint8_t(v >> 8); p[3] = uint8_t(v);
}

// Text that starts at `p` and ends before the first zero byte or after `max` bytes.
inline std::string zeroTerminated(const uint8_t* p, size_t max) {
    size_t n = 0;
    while (n < max && p[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

}  // namespace zv::codec
