// How a row of the drive list is flagged: alternate shading by position and the text colour
// of its cells 2 to 14, decided from the row's own texts. Plain logic without Qt; the
// delegate turns the flags into colours.
#pragma once

#include <array>
#include <string>

namespace zv::app {

enum class RowTextFlag {
    Normal,    // default text
    LowSpace,  // less than 5.0 percent free on a file system other than "CDFS" (maroon)
    Hidden,    // "Hidden" in the Visibility column (blue)
    Inactive,  // "Not mounted" label or "Disconnected" detail (gray)
};

// Rows at odd positions (counting from 0) are shaded.
inline bool isShadedRow(int row) { return row % 2 == 1; }

// The "% Free" text as a number: its first "%" removed, leading and trailing blanks
// allowed, `decimalSeparator` as the decimal point. False when the rest is no number.
bool readPercentFree(const std::string& text, const std::string& decimalSeparator, double* value);

// The flag of a row's cells 2 to 14 from its thirteen column texts (Label, Type, Additional
// Info, Size, Used, Available, Bytes Free, Format, Volume Serial, % Free, Visibility, Vendor,
// Product Id). Later rules win: low space, then hidden, then not mounted or disconnected.
RowTextFlag rowTextFlag(const std::array<std::string, 13>& columns, const std::string& decimalSeparator);

inline constexpr double kLowSpacePercent = 5.0;

}  // namespace zv::app
