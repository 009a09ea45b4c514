#include "smart/smart_texts.h"

namespace zv::smart {

std::string DriverStatusText(uint32_t code) {
    static const char* const texts[] = {
        "No error",
        "Error from IDE controller",
        "Invalid command flag",
        "Invalid command byte",
        "Bad buffer (null, invalid addr..)",
        "Drive number not valid",
        "Invalid IOCTL",
        "Could not lock user\"s buffer",
        "Some IDE Register not valid",
        "Invalid cmd flag set",
        "Cmd issued to device not present although drive number is valid",
    };
    if (code < sizeof texts / sizeof texts[0]) return texts[code];
    return "Unknown driver status " + std::to_string(code);
}

std::string VerdictText(int failCount) {
    return failCount != 0 ? "SMART Test Failed, Bad Attributes " + std::to_string(failCount) : "SMART Test Passed";
}

std::string AttributeName(int id) {
    static const char* const low[] = {
        nullptr,
        "Raw Read Error Rate",
        "Throughput Performance",
        "Spin Up Time",
        "Start/Stop Count",
        "Reallocated Sector Count",
        "Read Channel Margin",
        "Seek Error Rate",
        "Seek Time Performance",
        "Power On Count",
        "Spin Retry Count",
        "Calibration Retry Count",
        "Power Cycle Count",
    };
    static const char* const high[] = {
        "Emergency Retract Cycle",   // 192
        "Load Cycle Count",
        "Temperature Celcius",
        "Hardware ECC",
        "Reallocation Event Count",
        "Current Pending Sector",
        "Off-line Uncorrectable",
        "Ultra ATA CRC Error Rate",
        "Multi Zone Error Rate",     // 200
        "Off Track Errors",
        "TA Increase Count",
        "ECC Errors",
        "Shock Count Write Ops",
        "Shock Rate Write Ops",
        "Unknown Attribute",
        "Spin High Current",
        "Spin Buzz",
        "Offline Seek Perf",         // 209
    };
    if (id >= 1 && id <= 12) return low[id];
    if (id >= 192 && id <= 209) return high[id - 192];
    return "Unknown";
}

}  // namespace zv::smart
