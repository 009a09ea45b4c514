// The identification a drive reports (SCSI INQUIRY standard data) and its four fields as
// the optical information window shows them.
#pragma once

#include "platform/api/platform.h"

#include <string>

namespace zv::optical {

// `ReadInquiryText`: INQUIRY's response from byte 8 up to the first zero byte (at most 92
// characters); "" when the device cannot be opened or the request is not carried.
std::string ReadInquiryText(platform::Platform& platform, char letter);

// `SanitizeText`: every character with code 1-31 or 128-255 replaced by a blank.
std::string SanitizeText(const std::string& text);

// Blanks and control characters (codes up to 32) removed at both ends.
std::string trimText(const std::string& text);

struct IdentificationFields {
    std::string vendor;      // positions 1-8, as is
    std::string productId;   // 9-24, as is
    std::string revision;    // 25-28, trimmed, then sanitized
    std::string vendorSpec;  // 29-48, trimmed
};

IdentificationFields splitIdentification(const std::string& inquiryText);

}  // namespace zv::optical
