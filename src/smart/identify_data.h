// The fields of a 512-byte ATA IDENTIFY page that the program reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zv::smart {

struct IdentifyFields {
    std::string model;     // words 27-46
    std::string serial;    // words 10-19
    std::string firmware;  // words 23-26
    int64_t sizeBytes = 0; // sectors x 512: words 100-103 with 48-bit addressing, else 60-61
    int32_t word47 = 0;
};

// An ATA string field: each byte pair swapped (the first character sits in the high byte of
// its word), then characters up to 0x20 removed from both ends.
std::string IdentifyText(const uint8_t* field, size_t length);

IdentifyFields DecodeIdentify(const uint8_t* page);

}  // namespace zv::smart
