// The answers of a simulated optical drive to the MMC commands it understands, built byte
// for byte from its model: TEST UNIT READY, GET CONFIGURATION, MODE SENSE (10) page 0x2A,
// READ DISC STRUCTURE format 0.
#pragma once

#include "platform/sim/sim_feature.h"
#include "platform/sim/sim_optical_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zv::sim {

// How a command ended: not carried (the call fails with `error`), or carried with a SCSI
// status, sense bytes when CHECK CONDITION, and the data the drive transferred.
struct SimScsiAnswer {
    bool carried = true;
    DWORD error = 0;
    uint8_t status = 0;               // 0 GOOD, 2 CHECK CONDITION
    std::vector<uint8_t> sense;       // fixed-format sense data
    std::vector<uint8_t> data;        // the whole answer; the request's lengths cut it
    std::string note;                 // for the call log
};

SimScsiAnswer checkCondition(uint8_t key, uint8_t asc, uint8_t ascq, const std::string& note);

// nullopt: an opcode this drive does not serve.
std::optional<SimScsiAnswer> answerOpticalCommand(SimContext& context, char letter, SimOpticalDrive& drive,
                                                  const uint8_t* cdb, uint8_t cdbLength, uint32_t transferLength);

// The allocation length a command block carries (0 for commands that move no data).
uint32_t allocationLength(const uint8_t* cdb);

// Writes the answer into the pass-through block and the data buffer: ScsiStatus, sense
// bytes at SenseInfoOffset (cut to SenseInfoLength) and SenseInfoLength, the data (cut to
// the allocation and transfer lengths) and DataTransferLength = bytes moved.
void deliverAnswer(const SimScsiAnswer& answer, uint8_t* block, void* data, uint32_t allocationLength);

}  // namespace zv::sim
