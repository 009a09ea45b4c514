// The outcome of one S.M.A.R.T. read: the disk's identity and every attribute with its
// judgement. Slots from AttrCount on are zero or empty.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zv::smart {

inline constexpr int kAttributeSlots = 32;
inline constexpr int kAttributeEntries = 30;  // entries in the attribute and threshold pages

struct TSmartResult {
    int32_t DriveNo = -1;
    int64_t SizeBytes = 0;
    std::string Serial;
    std::string Firmware;
    std::string Model;
    int32_t IdentWord47 = 0;
    int32_t Temperature = 0;
    int32_t TemperatureByte4 = 0;
    int32_t TemperatureByte2 = 0;
    int32_t PowerOnHours = 0;
    int32_t ReallocatedSectors = 0;
    int32_t PowerCycles = 0;
    int32_t FailCount = 0;
    int32_t WarnCount = 0;
    int32_t AttrCount = 0;
    std::array<int32_t, kAttributeSlots> Ids{};
    std::array<std::string, kAttributeSlots> Names{};
    std::array<bool, kAttributeSlots> PreFail{};
    std::array<bool, kAttributeSlots> EventCount{};
    std::array<bool, kAttributeSlots> ErrorRate{};
    std::array<int32_t, kAttributeSlots> Current{};
    std::array<int32_t, kAttributeSlots> Worst{};
    std::array<int32_t, kAttributeSlots> Threshold{};
    std::array<int64_t, kAttributeSlots> Raw{};
    std::array<std::string, kAttributeSlots> State{};

    // Whether the disk reported attribute 194 (its temperature).
    bool hasTemperature() const {
        for (int k = 0; k < AttrCount; ++k)
            if (Ids[size_t(k)] == 194) return true;
        return false;
    }
};

}  // namespace zv::smart
