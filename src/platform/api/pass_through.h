// The 80-byte SCSI pass-through request block (IOCTL_SCSI_PASS_THROUGH_DIRECT).
//
// Layout: the system structure SCSI_PASS_THROUGH_DIRECT (44 bytes), a 4-byte filler and 32
// bytes of room for sense data. The DataBuffer field holds an address on Windows; here it
// stays 0 and the data buffer travels beside the block (IIo::ScsiPassThroughDirect).
#pragma once

#include "platform/api/codec.h"
#include "platform/api/win32.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zv::platform {

struct PassThroughLayout {
    static constexpr size_t Size = 80;
    static constexpr size_t StructSize = 44;     // SCSI_PASS_THROUGH_DIRECT
    static constexpr size_t Length = 0;          // 16 bits
    static constexpr size_t ScsiStatus = 2;      // 8 bits
    static constexpr size_t PathId = 3;
    static constexpr size_t TargetId = 4;
    static constexpr size_t Lun = 5;
    static constexpr size_t CdbLength = 6;
    static constexpr size_t SenseInfoLength = 7;
    static constexpr size_t DataIn = 8;
    static constexpr size_t DataTransferLength = 12;  // 32 bits
    static constexpr size_t TimeOutValue = 16;        // 32 bits, seconds
    static constexpr size_t DataBuffer = 20;          // 32 bits, address (0 here)
    static constexpr size_t SenseInfoOffset = 24;     // 32 bits
    static constexpr size_t Cdb = 28;                 // 16 bytes
    static constexpr size_t Filler = 44;
    static constexpr size_t Sense = 48;               // 32 bytes
    static constexpr size_t SenseRoom = 32;
};
static_assert(PassThroughLayout::Sense + PassThroughLayout::SenseRoom == PassThroughLayout::Size);

// Per-command request parameters.
struct PassThroughParams {
    uint8_t cdbLength = 0;
    uint8_t senseInfoLength = 0;
    uint32_t dataTransferLength = 0;
    uint32_t timeOutSeconds = 0;
};

// `PassThroughRequest`: the block, zero-filled and laid out for one command.
class PassThroughRequest {
public:
    PassThroughRequest() { m_bytes.fill(0); }

    // Zero the block, then fill every field as laid out: Length 44, DataIn 1, sense offset 48.
    void build(const PassThroughParams& params, const uint8_t* cdb, size_t cdbBytes) {
        using L = PassThroughLayout;
        m_bytes.fill(0);
        codec::putLe16(&m_bytes[L::Length], uint16_t(L::StructSize));
        m_bytes[L::CdbLength] = params.cdbLength;
        m_bytes[L::SenseInfoLength] = params.senseInfoLength;
        m_bytes[L::DataIn] = win::SCSI_IOCTL_DATA_IN;
        codec::putLe32(&m_bytes[L::DataTransferLength], params.dataTransferLength);
        codec::putLe32(&m_bytes[L::TimeOutValue], params.timeOutSeconds);
        codec::putLe32(&m_bytes[L::SenseInfoOffset], uint32_t(L::Sense));
        for (size_t i = 0; i < cdbBytes && i < 16; ++i) m_bytes[L::Cdb + i] = cdb[i];
    }

    uint8_t* data() { return m_bytes.data(); }
    const uint8_t* data() const { return m_bytes.data(); }
    static constexpr win::DWORD size() { return PassThroughLayout::Size; }

    uint8_t scsiStatus() const { return m_bytes[PassThroughLayout::ScsiStatus]; }
    uint8_t cdbLength() const { return m_bytes[PassThroughLayout::CdbLength]; }
    uint8_t senseInfoLength() const { return m_bytes[PassThroughLayout::SenseInfoLength]; }
    uint32_t dataTransferLength() const { return codec::getLe32(&m_bytes[PassThroughLayout::DataTransferLength]); }
    uint32_t timeOutSeconds() const { return codec::getLe32(&m_bytes[PassThroughLayout::TimeOutValue]); }
    const uint8_t* cdb() const { return &m_bytes[PassThroughLayout::Cdb]; }

private:
    std::array<uint8_t, PassThroughLayout::Size> m_bytes{};
};

// Read-only view of a block that a backend received.
struct PassThroughView {
    const uint8_t* bytes;
    uint16_t length() const { return codec::getLe16(bytes + PassThroughLayout::Length); }
    uint8_t cdbLength() const { return bytes[PassThroughLayout::CdbLength]; }
    uint8_t senseInfoLength() const { return bytes[PassThroughLayout::SenseInfoLength]; }
    uint8_t dataIn() const { return bytes[PassThroughLayout::DataIn]; }
    uint32_t dataTransferLength() const { return codec::getLe32(bytes + PassThroughLayout::DataTransferLength); }
    uint32_t timeOutSeconds() const { return codec::getLe32(bytes + PassThroughLayout::TimeOutValue); }
    uint32_t senseInfoOffset() const { return codec::getLe32(bytes + PassThroughLayout::SenseInfoOffset); }
    const uint8_t* cdb() const { return bytes + PassThroughLayout::Cdb; }
};

}  // namespace zv::platform
