#include "smart/nvme_health.h"

#include <algorithm>

#include "platform/api/codec.h"

namespace zv::smart {

std::string Counter128::decimalText() const {
    // Long division by 10 over four 32-bit limbs, most significant first.
    uint32_t limbs[4] = {uint32_t(high >> 32), uint32_t(high), uint32_t(low >> 32), uint32_t(low)};
    std::string digits;
    auto isZero = [&limbs] { return limbs[0] == 0 && limbs[1] == 0 && limbs[2] == 0 && limbs[3] == 0; };
    do {
        uint64_t remainder = 0;
        for (uint32_t& limb : limbs) {
            const uint64_t current = (remainder << 32) | limb;
            limb = uint32_t(current / 10);
            remainder = current % 10;
        }
        digits += char('0' + remainder);
    } while (!isZero());
    std::reverse(digits.begin(), digits.end());
    return digits;
}

Counter128 DecodeCounter128(const uint8_t* bytes) {
    return {codec::getLe64(bytes), codec::getLe64(bytes + 8)};
}

int NvmeHealth::warningCount() const {
    int count = 0;
    for (uint8_t bits = criticalWarning; bits; bits &= uint8_t(bits - 1)) ++count;
    return count;
}

NvmeHealth DecodeNvmeHealthLog(const uint8_t* page) {
    NvmeHealth h;
    h.criticalWarning = page[0];
    h.temperatureKelvin = codec::getLe16(page + 1);
    h.availableSpare = page[3];
    h.availableSpareThreshold = page[4];
    h.percentageUsed = page[5];
    Counter128* counters[] = {&h.dataUnitsRead,     &h.dataUnitsWritten,   &h.hostReadCommands,
                              &h.hostWriteCommands, &h.controllerBusyTime, &h.powerCycles,
                              &h.powerOnHours,      &h.unsafeShutdowns,    &h.mediaErrors,
                              &h.errorLogEntries};
    for (size_t i = 0; i < std::size(counters); ++i) *counters[i] = DecodeCounter128(page + 32 + 16 * i);
    return h;
}

}  // namespace zv::smart
