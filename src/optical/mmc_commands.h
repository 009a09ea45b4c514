// The SCSI/MMC commands that the optical subsystem sends, their request parameters, and the
// one way they travel: a PassThroughRequest handed to IOCTL_SCSI_PASS_THROUGH_DIRECT.
#pragma once

#include "platform/api/pass_through.h"
#include "platform/api/platform.h"

#include <array>
#include <cstdint>

namespace zv::optical {

enum class OpticalCommand {
    TestUnitReady,      // SPC TEST UNIT READY (0x00)
    GetConfiguration,   // MMC GET CONFIGURATION (0x46), the current profile
    ReadDiscStructure,  // MMC READ DISC STRUCTURE (0xAD), DVD physical format information
    ModeSense10,        // SPC MODE SENSE (10) (0x5A), page 0x2A, default values
    ModeSense10Current, // the same page, current values (for drives that refuse defaults)
    Inquiry,            // SPC INQUIRY (0x12), standard data
};

// One row of the command table: the command block and the request parameters it travels
// with. Every command moves data from the drive (DataIn 1).
struct OpticalCommandRow {
    OpticalCommand command;
    platform::PassThroughParams params;
    std::array<uint8_t, 12> cdb;  // the bytes after CdbLength stay 0 in the request
};

const OpticalCommandRow& commandRow(OpticalCommand command);

// A request block laid out for the command (zero-filled, then every field set).
platform::PassThroughRequest makeRequest(OpticalCommand command);

// `SendPassThrough`: sends one request. `response` is the command's response buffer of the
// request's DataTransferLength bytes (null when it moves none). TRUE when the device-control
// call succeeded: a command that the drive ends with CHECK CONDITION still counts as carried.
// An invalid handle sends nothing and gives FALSE.
bool SendPassThrough(platform::Platform& platform, win::HANDLE device, platform::PassThroughRequest& request,
                     void* response);

// The device path of a drive letter: "\\.\X:".
std::string devicePath(char letter);

}  // namespace zv::optical
