// Digit grouping of decimal texts for the S.M.A.R.T. window.
#pragma once

#include <string>

namespace zv::smart {

// A decimal text with the thousands separator between groups of three digits from the
// right ("1234567" -> "1,234,567"); texts of up to three characters come back unchanged. A
// leading minus sign stays in front of the first group ("-123456" -> "-123,456").
std::string GroupDigits(const std::string& decimalText, const std::string& thousandsSeparator);

}  // namespace zv::smart
