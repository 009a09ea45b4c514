#include "smart/smart_view.h"

#include "diskinfo/fixed_drive_items.h"
#include "diskinfo/physical_drive.h"
#include "diskinfo/volume_details.h"
#include "smart/group_digits.h"
#include "smart/nvme_access.h"
#include "smart/nvme_rows.h"
#include "smart/smart_access.h"
#include "smart/smart_result.h"
#include "smart/smart_texts.h"

namespace zv::smart {

using namespace zv::win;

namespace {

std::string failureStatus(const std::string& errorText, DWORD errorCode) {
    std::string status = errorText.empty() ? "The disk did not answer the S.M.A.R.T. requests." : errorText;
    if (errorCode == ERROR_ACCESS_DENIED)
        status = "Reading S.M.A.R.T. data needs administrator (root) rights. " + status;
    return status;
}

}  // namespace

SmartView::SmartView(platform::Platform& platform) : m_platform(platform) {}

void SmartView::formShow() {
    m_items = diskinfo::FixedDriveItems(m_platform);
    m_current = m_items.empty() ? -1 : 0;
    m_text = m_items.empty() ? std::string() : m_items[0];
    cbdriveChange();
}

void SmartView::chooseItem(int index) {
    if (index < 0 || index >= int(m_items.size())) return;
    m_current = index;
    m_text = m_items[size_t(index)];
    cbdriveChange();
}

void SmartView::setBoxText(const std::string& text) {
    m_text = text;
    m_current = -1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i] == text) m_current = int(i);
    cbdriveChange();
}

// An NVMe disk answers no ATA command: its health comes from its health log.
void SmartView::showNvme(int32_t driveNumber) {
    NvmeReadout readout;
    std::string errorText;
    DWORD errorCode = 0;
    if (!ReadNvmeHealth(m_platform, driveNumber, readout, errorText, &errorCode)) {
        m_fields.status = failureStatus(errorText, errorCode);
        return;
    }
    const std::string separator = m_platform.system().GetLocaleSeparators().thousands;
    m_fields.verdict = NvmeVerdict(readout.health);
    m_fields.temperature = NvmeTemperatureText(readout.health);
    m_fields.model = readout.identity.model;
    m_fields.serial = readout.identity.serial;
    m_fields.firmware = readout.identity.firmware;
    m_fields.size = readout.sizeBytes > 0 ? GroupDigits(std::to_string(readout.sizeBytes), separator) : std::string();
    m_fields.rows = NvmeHealthRows(readout.health, separator);
    m_fields.nvme = readout.health;
}

void SmartView::cbdriveChange() {
    m_fields = SmartFields{};
    if (m_text.empty()) return;
    const int32_t n = diskinfo::PhysicalDriveNumber(m_platform, std::string(1, m_text[0]) + ":");
    m_fields.physicalDrive = std::to_string(n);
    if (IsNvmeDisk(m_platform, n)) {
        showNvme(n);
        return;
    }

    TSmartResult result;
    std::string errorText;
    DWORD errorCode = 0;
    if (!ReadSmartData(m_platform, n, result, errorText, &errorCode)) {
        m_fields.status = failureStatus(errorText, errorCode);
        return;
    }
    if (result.AttrCount == 0) {
        m_fields.status = "The disk reports no S.M.A.R.T. attributes.";
        return;
    }
    // A disk without attribute 194 has no temperature to show.
    if (result.hasTemperature()) m_fields.temperature = std::to_string(result.Temperature) + "\xC2\xB0" "C";
    m_fields.verdict = VerdictText(result.FailCount);

    std::string identifyError, model, serial;
    int64_t size = 0;
    if (!IdentifyDrive(m_platform, n, identifyError, model, serial, size)) {
        m_fields.status = failureStatus(identifyError, 0);
        return;
    }
    const std::string separator = m_platform.system().GetLocaleSeparators().thousands;
    m_fields.model = model;
    m_fields.serial = serial;
    m_fields.firmware = result.Firmware;
    m_fields.size = GroupDigits(std::to_string(size), separator);
    for (int k = 0; k < result.AttrCount; ++k) {
        const size_t s = size_t(k);
        m_fields.rows.push_back({std::to_string(result.Ids[s]), result.Names[s], result.State[s],
                                 std::to_string(result.Current[s]), std::to_string(result.Worst[s]),
                                 std::to_string(result.Threshold[s]),
                                 GroupDigits(std::to_string(result.Raw[s]), separator),
                                 diskinfo::YesNoText(result.PreFail[s]), diskinfo::YesNoText(result.EventCount[s]),
                                 diskinfo::YesNoText(result.ErrorRate[s])});
    }
}

}  // namespace zv::smart
