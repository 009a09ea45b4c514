// What the S.M.A.R.T. window shows: the drive box, the fields and the attribute rows after
// a refresh. The window forwards its events here and copies the result into its controls.
#pragma once

#include "platform/api/platform.h"
#include "smart/nvme_health.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zv::smart {

// The ten columns of one attribute row: identifier, name, state, current, worst,
// threshold, raw value, pre-failure, events, error rate.
using SmartRow = std::array<std::string, 10>;
inline constexpr const char* kSmartColumns[10] = {"Attribute", "Name",      "State",    "Current",
                                                  "Worst",     "Threshold", "Raw Value", "Fre-Fail",
                                                  "Events",    "Error Rate"};

struct SmartFields {
    std::string physicalDrive;  // Edit7
    std::string verdict;        // Edit1
    std::string temperature;    // Edit2
    std::string model;          // Edit3
    std::string serial;         // Edit4
    std::string firmware;       // Edit5
    std::string size;           // Edit6
    std::vector<SmartRow> rows;
    // The health log of an NVMe disk, whose rows stand for its fields.
    std::optional<NvmeHealth> nvme;
    // Why the fields stay empty, when they do ("" otherwise).
    std::string status;
};

class SmartView {
public:
    explicit SmartView(platform::Platform& platform);

    // The window became visible: the drive box is filled afresh (no repeated items), the
    // first item chosen and the fields refreshed.
    void formShow();
    void chooseItem(int index);
    // The drive box text changed (the box is editable: any text, its first character being
    // the drive letter).
    void setBoxText(const std::string& text);
    void cbdriveChange();

    const std::vector<std::string>& items() const { return m_items; }
    const std::string& boxText() const { return m_text; }
    int currentIndex() const { return m_current; }
    const SmartFields& fields() const { return m_fields; }

private:
    void showNvme(int32_t driveNumber);

    platform::Platform& m_platform;
    std::vector<std::string> m_items;
    int m_current = -1;
    std::string m_text;
    SmartFields m_fields;
};

}  // namespace zv::smart
