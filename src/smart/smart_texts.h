// Fixed texts of the S.M.A.R.T. layer: driver status and attribute names.
#pragma once

#include <cstdint>
#include <string>

namespace zv::smart {

// The text of a DRIVERSTATUS.bDriverError value; codes above 10 read "Unknown driver
// status N".
std::string DriverStatusText(uint32_t code);

// The window's verdict on a disk: "SMART Test Passed" when nothing failed, else "SMART Test
// Failed, Bad Attributes N".
std::string VerdictText(int failCount);

// The attribute's name, "Unknown" for identifiers without one.
std::string AttributeName(int id);

}  // namespace zv::smart
