#include "optical/mmc_commands.h"

#include <stdexcept>

namespace zv::optical {

namespace {

using win::BYTE;

// Command blocks (SPC-3, MMC-5). Allocation lengths are big-endian in the block.
// READ DISC STRUCTURE is a 12-byte command; it travels with CdbLength 10, its bytes 10 and
// 11 being zero, so the drive receives the same command.
const std::array<OpticalCommandRow, 6> kCommands = {{
    {OpticalCommand::TestUnitReady, {6, 32, 0, 120}, {0x00, 0, 0, 0, 0, 0}},
    {OpticalCommand::GetConfiguration, {10, 32, 114, 120}, {0x46, 0x02, 0x00, 0x00, 0, 0, 0, 0x00, 0x72, 0}},
    {OpticalCommand::ReadDiscStructure, {10, 32, 21, 120}, {0xAD, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x15}},
    {OpticalCommand::ModeSense10, {10, 14, 440, 120}, {0x5A, 0x00, 0xAA, 0, 0, 0, 0, 0x01, 0xB8, 0}},
    {OpticalCommand::ModeSense10Current, {10, 14, 440, 120}, {0x5A, 0x00, 0x2A, 0, 0, 0, 0, 0x01, 0xB8, 0}},
    {OpticalCommand::Inquiry, {6, 24, 100, 2}, {0x12, 0, 0, 0, 0x64, 0}},
}};

}  // namespace

const OpticalCommandRow& commandRow(OpticalCommand command) {
    for (const auto& row : kCommands)
        if (row.command == command) return row;
    throw std::logic_error("optical command without a table row");
}

platform::PassThroughRequest makeRequest(OpticalCommand command) {
    const OpticalCommandRow& row = commandRow(command);
    platform::PassThroughRequest request;
    request.build(row.params, row.cdb.data(), row.params.cdbLength);
    return request;
}

bool SendPassThrough(platform::Platform& platform, win::HANDLE device, platform::PassThroughRequest& request,
                     void* response) {
    if (device == win::INVALID_HANDLE_VALUE || device == 0) return false;
    win::DWORD returned = 0;
    return platform.io().ScsiPassThroughDirect(device, request.data(), request.size(), response, &returned) != 0;
}

std::string devicePath(char letter) { return std::string("\\\\.\\") + letter + ":"; }

}  // namespace zv::optical
