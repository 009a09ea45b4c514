// An NVMe disk's health in the S.M.A.R.T. window: its verdict and one attribute-like row
// per field of the health log (name, judgement where there is one, and value).
#pragma once

#include <string>
#include <vector>

#include "smart/nvme_health.h"
#include "smart/smart_view.h"

namespace zv::smart {

// Failing when the controller sets any critical warning bit; the bits count as the bad
// attributes.
std::string NvmeVerdict(const NvmeHealth& health);

// The temperature as the window's field shows it ("38°C"); "" when the page reports none.
std::string NvmeTemperatureText(const NvmeHealth& health);

// Rows with the name in the Name column, the value in the Raw Value column and, where the
// log page carries a judgement, a state: the critical warning ("Failing Now" when a bit is
// set), the available spare against its threshold (in the Current and Threshold columns)
// and the percentage used ("Warning" from 100 on). Counters are grouped with `separator`.
std::vector<SmartRow> NvmeHealthRows(const NvmeHealth& health, const std::string& separator);

}  // namespace zv::smart
