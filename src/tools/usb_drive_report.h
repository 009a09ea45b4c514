// The USB drive report: the machine's disk drives as the management service lists them
// ("SELECT * FROM Win32_DiskDrive"), each told USB or not, with the details of every USB
// disk.
#pragma once

#include "platform/api/platform.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zv::tools {

// " Random Access" and the other capability texts (each with its leading blank);
// " Unknown" for a code without a text.
std::string capabilityText(int64_t code);

// Appends the report's texts through `append`, in order; a text holding CR LF stands for
// several lines. A failure of the service or of a property read raises zv::CommandError
// with the service's message, after the texts appended so far.
void runUsbDriveReport(platform::Platform& platform, const std::function<void(const std::string&)>& append);

}  // namespace zv::tools
