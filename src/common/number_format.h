// Number texts in the user's locale (decimal and thousands separators from the platform).
#pragma once

#include "platform/api/platform.h"

#include <cstdint>
#include <string>

namespace zv {

using platform::LocaleSeparators;

// printf "%W.Df" with the locale's decimal separator. A value that rounds to zero prints
// without a minus sign ("-0.00" never appears).
std::string formatFixed(double value, int width, int decimals, const LocaleSeparators& locale);

// Digits grouped by threes from the right with the locale's thousands separator; a leading
// minus sign stays in front ("-1234567" -> "-1,234,567").
std::string groupDigitsOf(const std::string& decimalText, const std::string& separator);

// "%0.0n" / "#,#0": the value rounded to a whole number, digits grouped.
std::string formatGrouped(double value, const LocaleSeparators& locale);
std::string formatGrouped(int64_t value, const LocaleSeparators& locale);
std::string formatGrouped(uint64_t value, const LocaleSeparators& locale);

}  // namespace zv
