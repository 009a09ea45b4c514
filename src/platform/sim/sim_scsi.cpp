#include "platform/sim/sim_scsi.h"

#include "platform/api/codec.h"

#include <algorithm>
#include <cstring>

namespace zv::sim {

using L = platform::PassThroughLayout;

CdbSizes cdbSizesFor(uint8_t opcode) {
    switch (opcode) {
    case 0xAD: return {10, 12};  // READ DISC STRUCTURE: also sent in a 10-byte block whose bytes 10-11 are zero
    case 0x85: return {16, 0};   // ATA PASS-THROUGH (16)
    case 0xA1: return {12, 0};   // ATA PASS-THROUGH (12)
    default: break;
    }
    switch (opcode >> 5) {
    case 0: return {6, 0};
    case 1:
    case 2: return {10, 0};
    case 4: return {16, 0};
    case 5: return {12, 0};
    default: return {0, 0};  // reserved and vendor-specific groups
    }
}

bool cdbLengthFits(uint8_t opcode, uint8_t cdbLength) {
    if (cdbLength < 6 || cdbLength > 16) return false;
    const CdbSizes sizes = cdbSizesFor(opcode);
    if (sizes.first == 0) return true;
    return cdbLength == sizes.first || (sizes.second && cdbLength == sizes.second);
}

bool isDataInCommand(uint8_t opcode) {
    switch (opcode) {
    case 0x03: case 0x12: case 0x1A: case 0x25: case 0x28: case 0x43: case 0x46: case 0x4A: case 0x51:
    case 0x52: case 0x5A: case 0x5C: case 0xA8: case 0xAC: case 0xAD: case 0xB9: case 0xBD: case 0xBE:
        return true;
    default:
        return false;
    }
}

bool isNoDataCommand(uint8_t opcode) {
    switch (opcode) {
    case 0x00: case 0x1B: case 0x1E: case 0x2B: case 0x35: case 0xA6: case 0xBB:
        return true;
    default:
        return false;
    }
}

std::optional<uint32_t> allocationLength(const uint8_t* cdb, uint8_t cdbLength) {
    switch (cdb[0]) {
    case 0x12: return codec::getBe16(cdb + 3);  // INQUIRY (SPC-3 and later: 16 bits)
    case 0x03:
    case 0x1A: return cdb[4];
    case 0x25: return 8;
    case 0x43: case 0x46: case 0x4A: case 0x51: case 0x52: case 0x5A: case 0x5C:
        return codec::getBe16(cdb + 7);
    case 0xAD:
    case 0xBD: return cdbLength >= 10 ? std::optional<uint32_t>(codec::getBe16(cdb + 8)) : std::nullopt;
    case 0x00: case 0x1B: case 0x1E: return 0;
    default: return std::nullopt;
    }
}

win::DWORD completeGood(uint8_t* block, uint32_t transferred) {
    block[L::ScsiStatus] = 0;
    block[L::SenseInfoLength] = 0;
    codec::putLe32(block + L::DataTransferLength, transferred);
    return win::DWORD(L::StructSize);
}

win::DWORD completeCheckCondition(uint8_t* block, uint8_t senseKey, uint8_t asc, uint8_t ascq) {
    uint8_t sense[18] = {};
    sense[0] = 0x70;  // current error, fixed format
    sense[2] = senseKey;
    sense[7] = 10;    // additional sense length
    sense[12] = asc;
    sense[13] = ascq;
    const uint32_t offset = codec::getLe32(block + L::SenseInfoOffset);
    const uint8_t room = block[L::SenseInfoLength];
    const uint8_t copied = uint8_t(std::min<size_t>(room, sizeof sense));
    std::memcpy(block + offset, sense, copied);
    block[L::ScsiStatus] = 0x02;
    block[L::SenseInfoLength] = copied;
    codec::putLe32(block + L::DataTransferLength, 0);
    return copied ? win::DWORD(offset + copied) : win::DWORD(L::StructSize);
}

}  // namespace zv::sim
