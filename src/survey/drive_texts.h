// The column texts of a surveyed drive, in the user's number separators.
#pragma once

#include "platform/api/platform.h"

#include <string>

namespace zv::survey {

// The unit boundary: a quantity strictly above 2^30 bytes is shown in GB, any other in MB.
inline constexpr double kGigabyteBoundary = 1073741824.0;

// Size, Used and Available: "%3.2f GB" of v / 2^30 above the boundary, else "%3.2f MB" of
// v / 2^20 ("465.76 GB", "1024.00 MB", "0.00 MB" for -1). "" when the value cannot be shown.
std::string sizeText(double bytes, const platform::LocaleSeparators& locale);

// Bytes Free: whole bytes, digits grouped ("12,884,901,888"); a failed query (-1) shows 0.
std::string bytesFreeText(double freeBytes, const platform::LocaleSeparators& locale);

// % Free: eight characters wide, one decimal, then "%" ("    45.3%"); "0.0%" when the value
// cannot be shown.
std::string percentFreeText(double percentFree, const platform::LocaleSeparators& locale);

// `text` cut to at most `maxBytes` bytes without leaving half a UTF-8 character at its end.
std::string cutAtCharacterBoundary(const std::string& text, size_t maxBytes);

// Vendor (characters 1-8) and product identification (characters 9-24) of an inquiry text.
std::string vendorOf(const std::string& identityText);
std::string productIdOf(const std::string& identityText);

}  // namespace zv::survey
