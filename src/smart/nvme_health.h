// The SMART / Health Information log page of an NVMe controller (log identifier 02h, 512
// bytes, the NVM Express Base standard).
#pragma once

#include <cstdint>
#include <string>

namespace zv::smart {

inline constexpr size_t kNvmeHealthLogSize = 512;

// A 128-bit little-endian counter of the log page.
struct Counter128 {
    uint64_t low = 0;
    uint64_t high = 0;

    bool fitsIn64Bits() const { return high == 0; }
    // The exact value in decimal digits, whatever its size.
    std::string decimalText() const;
    bool operator==(const Counter128& other) const { return low == other.low && high == other.high; }
};
Counter128 DecodeCounter128(const uint8_t* bytes);

struct NvmeHealth {
    uint8_t criticalWarning = 0;          // byte 0; bits: spare, temperature, reliability, read-only, backup
    uint16_t temperatureKelvin = 0;       // bytes 1-2, composite temperature; 0: not reported
    uint8_t availableSpare = 0;           // byte 3, percent
    uint8_t availableSpareThreshold = 0;  // byte 4, percent
    uint8_t percentageUsed = 0;           // byte 5, may exceed 100
    Counter128 dataUnitsRead;             // bytes 32-47, thousands of 512-byte units
    Counter128 dataUnitsWritten;          // bytes 48-63
    Counter128 hostReadCommands;          // bytes 64-79
    Counter128 hostWriteCommands;         // bytes 80-95
    Counter128 controllerBusyTime;        // bytes 96-111, minutes
    Counter128 powerCycles;               // bytes 112-127
    Counter128 powerOnHours;              // bytes 128-143
    Counter128 unsafeShutdowns;           // bytes 144-159
    Counter128 mediaErrors;               // bytes 160-175
    Counter128 errorLogEntries;           // bytes 176-191

    bool hasTemperature() const { return temperatureKelvin != 0; }
    // Whole degrees: kelvin minus 273, as the controller reports whole kelvin.
    int temperatureCelsius() const { return int(temperatureKelvin) - 273; }
    // The number of critical warning bits set.
    int warningCount() const;
};

// Decodes a log page of kNvmeHealthLogSize bytes.
NvmeHealth DecodeNvmeHealthLog(const uint8_t* page);

}  // namespace zv::smart
