// SCSI command rules and completions shared by the core and the features: how long each
// command block is, which commands move data to the host, their allocation length, and
// filling a pass-through block's status and sense as the system does.
#pragma once

#include "platform/api/pass_through.h"

#include <cstdint>
#include <optional>

namespace zv::sim {

// Sizes of the command block the operation code allows (SPC-4 4.2.5 groups, MMC
// exceptions); 0 in `second` when only one size fits, both 0 when any size goes.
struct CdbSizes {
    uint8_t first = 0;
    uint8_t second = 0;
};
CdbSizes cdbSizesFor(uint8_t opcode);
bool cdbLengthFits(uint8_t opcode, uint8_t cdbLength);

// Whether the command moves data from the device to the host.
bool isDataInCommand(uint8_t opcode);
// Whether the command moves no data at all.
bool isNoDataCommand(uint8_t opcode);
// The allocation length in the command block, when the command has one in bytes.
std::optional<uint32_t> allocationLength(const uint8_t* cdb, uint8_t cdbLength);

// Good status: ScsiStatus 0, no sense, DataTransferLength = the bytes moved. Returns the
// byte count the system reports for the call.
win::DWORD completeGood(uint8_t* block, uint32_t transferred);
// CHECK CONDITION with fixed-format sense data (SPC-4 4.5.3), copied into the block's
// sense area as far as SenseInfoLength allows.
win::DWORD completeCheckCondition(uint8_t* block, uint8_t senseKey, uint8_t asc, uint8_t ascq);

inline constexpr uint8_t SenseIllegalRequest = 0x05;
inline constexpr uint8_t SenseNotReady = 0x02;
inline constexpr uint8_t AscInvalidOpcode = 0x20;
inline constexpr uint8_t AscInvalidFieldInCdb = 0x24;
inline constexpr uint8_t AscMediumNotPresent = 0x3A;

}  // namespace zv::sim
