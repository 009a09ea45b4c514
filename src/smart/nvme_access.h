// Reading an NVMe disk's identity and health through the storage property requests with
// NVMe protocol-specific data on "\\.\PhysicalDriveN".
#pragma once

#include <cstdint>
#include <string>

#include "platform/api/platform.h"
#include "smart/nvme_health.h"
#include "smart/nvme_identify.h"

namespace zv::smart {

// Whether the disk reports the NVMe bus in its storage device descriptor; false when it
// cannot be asked.
bool IsNvmeDisk(platform::Platform& platform, int32_t driveNumber);

struct NvmeReadout {
    NvmeControllerIdentity identity;
    int64_t sizeBytes = 0;  // 0 when the namespace did not answer
    NvmeHealth health;
};

// Reads Identify Controller, Identify Namespace (the disk's own) and the SMART / Health
// Information log. False with the message (and, when given, the system error) of the first
// request that failed; a namespace that does not answer leaves the size 0 and is no failure.
bool ReadNvmeHealth(platform::Platform& platform, int32_t driveNumber, NvmeReadout& readout,
                    std::string& errorText, win::DWORD* errorCode = nullptr);

}  // namespace zv::smart
