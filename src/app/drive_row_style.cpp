#include "app/drive_row_style.h"

#include <charconv>

namespace zv::app {

namespace {
enum Column { Label = 0, AdditionalInfo = 2, Format = 7, PercentFree = 9, Visibility = 10 };

bool isBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

bool readPercentFree(const std::string& text, const std::string& decimalSeparator, double* value) {
    std::string rest = text;
    if (const auto percent = rest.find('%'); percent != std::string::npos) rest.erase(percent, 1);
    size_t begin = 0;
    size_t end = rest.size();
    while (begin < end && isBlank(rest[begin])) ++begin;
    while (end > begin && isBlank(rest[end - 1])) --end;
    rest = rest.substr(begin, end - begin);
    if (rest.empty()) return false;
    // Only the locale's separator counts as the decimal point.
    if (decimalSeparator != ".") {
        if (rest.find('.') != std::string::npos) return false;
        if (const auto at = decimalSeparator.empty() ? std::string::npos : rest.find(decimalSeparator);
            at != std::string::npos)
            rest = rest.substr(0, at) + "." + rest.substr(at + decimalSeparator.size());
    }
    const char* first = rest.data();
    const char* last = rest.data() + rest.size();
    if (*first == '+') ++first;
    double parsed = 0;
    const auto [ptr, error] = std::from_chars(first, last, parsed, std::chars_format::fixed);
    if (error != std::errc() || ptr != last) return false;
    *value = parsed;
    return true;
}

RowTextFlag rowTextFlag(const std::array<std::string, 13>& columns, const std::string& decimalSeparator) {
    RowTextFlag flag = RowTextFlag::Normal;
    double percent = 0;
    if (readPercentFree(columns[PercentFree], decimalSeparator, &percent) && percent < kLowSpacePercent &&
        columns[Format] != "CDFS")
        flag = RowTextFlag::LowSpace;
    if (columns[Visibility] == "Hidden") flag = RowTextFlag::Hidden;
    if (columns[Label] == "Not mounted") flag = RowTextFlag::Inactive;
    if (columns[AdditionalInfo] == "Disconnected") flag = RowTextFlag::Inactive;
    return flag;
}

}  // namespace zv::app
