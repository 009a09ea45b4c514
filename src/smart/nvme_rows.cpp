#include "smart/nvme_rows.h"

#include <cstdio>

#include "smart/group_digits.h"
#include "smart/smart_texts.h"

namespace zv::smart {

namespace {

SmartRow row(const std::string& name, const std::string& state, const std::string& value) {
    SmartRow r;
    r[1] = name;
    r[2] = state;
    r[6] = value;
    return r;
}

std::string hexByte(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", unsigned(value));
    return text;
}

std::string percent(uint8_t value) { return std::to_string(value) + "%"; }

}  // namespace

std::string NvmeVerdict(const NvmeHealth& health) { return VerdictText(health.warningCount()); }

std::string NvmeTemperatureText(const NvmeHealth& health) {
    return health.hasTemperature() ? std::to_string(health.temperatureCelsius()) +
                                         "\xC2\xB0"
                                         "C"
                                   : std::string();
}

std::vector<SmartRow> NvmeHealthRows(const NvmeHealth& h, const std::string& separator) {
    auto count = [&separator](const Counter128& c) { return GroupDigits(c.decimalText(), separator); };
    std::vector<SmartRow> rows;
    rows.push_back(
        row("Critical Warning", h.criticalWarning ? "Failing Now" : "OK", hexByte(h.criticalWarning)));
    rows.push_back(
        row("Temperature Celsius", "-", h.hasTemperature() ? std::to_string(h.temperatureCelsius()) : "-"));
    SmartRow spare =
        row("Available Spare", h.availableSpare < h.availableSpareThreshold ? "Failing Now" : "OK",
            percent(h.availableSpare));
    spare[3] = std::to_string(h.availableSpare);
    spare[5] = std::to_string(h.availableSpareThreshold);
    rows.push_back(spare);
    rows.push_back(row("Available Spare Threshold", "-", percent(h.availableSpareThreshold)));
    rows.push_back(
        row("Percentage Used", h.percentageUsed >= 100 ? "Warning" : "OK", percent(h.percentageUsed)));
    rows.push_back(row("Data Units Read", "-", count(h.dataUnitsRead)));
    rows.push_back(row("Data Units Written", "-", count(h.dataUnitsWritten)));
    rows.push_back(row("Power Cycles", "-", count(h.powerCycles)));
    rows.push_back(row("Power On Hours", "-", count(h.powerOnHours)));
    rows.push_back(row("Unsafe Shutdowns", "-", count(h.unsafeShutdowns)));
    rows.push_back(row("Media Errors", "-", count(h.mediaErrors)));
    return rows;
}

}  // namespace zv::smart
