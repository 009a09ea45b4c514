// Reading a disk's identity and S.M.A.R.T. data through the disk driver's S.M.A.R.T. requests.
#pragma once

#include "platform/api/platform.h"
#include "smart/smart_result.h"

#include <cstdint>
#include <string>

namespace zv::smart {

// Enables S.M.A.R.T., reads the identity, the attributes and the thresholds of the first
// device in the driver's device map that answers them all, and judges the attributes.
// `errorText` holds the message of the last failure met (it may stay set on success, from
// an enable request that failed); `errorCode`, when given, the system error of that failure.
bool ReadSmartData(platform::Platform& platform, int32_t driveNumber, TSmartResult& result,
                   std::string& errorText, win::DWORD* errorCode = nullptr);

// Reads the identity of the first device in the map that answers IDENTIFY.
bool IdentifyDrive(platform::Platform& platform, int32_t driveNumber, std::string& errorText,
                   std::string& model, std::string& serial, int64_t& sizeBytes);

}  // namespace zv::smart
