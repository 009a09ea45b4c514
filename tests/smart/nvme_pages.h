// Recorded NVMe pages for the decoder tests: bytes laid down as hexadecimal text at their
// offsets, the rest zero, as a controller returns them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace zv::smart::test {

// "43 01" at offset 1, ... into a page of `size` bytes.
inline std::vector<uint8_t> recordedPage(size_t size, const std::vector<std::pair<size_t, const char*>>& runs) {
    std::vector<uint8_t> page(size, 0);
    for (const auto& [offset, hex] : runs) {
        const char* at = hex;
        unsigned value = 0;
        int used = 0;
        size_t i = offset;
        while (std::sscanf(at, " %2x%n", &value, &used) == 1) {
            page.at(i++) = uint8_t(value);
            at += used;
        }
    }
    return page;
}

// The health log of QEMU's emulated controller after a short boot: composite temperature
// 323 K, spare fields left zero, a few thousand commands, power-on hours 0.
inline std::vector<uint8_t> qemuHealthLog() {
    return recordedPage(512, {{0, "00 43 01 00 00 00"},
                              {32, "2e"},           // data units read
                              {48, "03"},           // data units written
                              {64, "92 0b"},        // host read commands
                              {80, "4c 01"}});      // host write commands
}

// A worn disk: spare below its threshold and the reliability bit, temperature not reported,
// data units written beyond 64 bits (2^64 + 5), power-on hours 0x0123456789ABCDEF.
inline std::vector<uint8_t> failingHealthLog() {
    return recordedPage(512, {{0, "05 00 00 08 0a 6e"},
                              {32, "ff ff ff ff ff ff ff ff"},                           // 2^64 - 1
                              {48, "05 00 00 00 00 00 00 00 01"},                        // 2^64 + 5
                              {112, "e8 03"},                                           // power cycles 1000
                              {128, "ef cd ab 89 67 45 23 01"},                          // power-on hours
                              {144, "2a"},                                              // unsafe shutdowns 42
                              {160, "ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff"},  // media errors 2^128 - 1
                              {176, "07"}});
}

// Identify Controller of QEMU's controller: serial, model and firmware blank-padded.
inline std::vector<uint8_t> qemuIdentifyController() {
    return recordedPage(4096, {{0, "f4 1a f4 1a"},  // PCI vendor and subsystem vendor
                               {4, "5a 56 4e 56 4d 45 30 31 20 20 20 20 20 20 20 20 20 20 20 20"},  // "ZVNVME01"
                               {24, "51 45 4d 55 20 4e 56 4d 65 20 43 74 72 6c 20 20 20 20 20 20 "
                                    "20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20"},  // "QEMU NVMe Ctrl"
                               {64, "37 2e 32 2e 31 35 20 20"}});  // "7.2.15"
}

}  // namespace zv::smart::test
