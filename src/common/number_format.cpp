#include "common/number_format.h"

#include <cmath>
#include <cstdio>

namespace zv {

std::string formatFixed(double value, int width, int decimals, const LocaleSeparators& locale) {
    char buffer[512];
    // Format in the C locale's terms ('.' decimal point) and swap in the user's separator,
    // so that the process locale never leaks into the text.
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    const auto point = text.find('.');
    if (point != std::string::npos) text.replace(point, 1, locale.decimal);
    // Width counts characters, not bytes: a multi-byte separator is one character.
    size_t chars = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++chars;
    if (static_cast<int>(chars) < width) text.insert(0, static_cast<size_t>(width) - chars, ' ');
    return text;
}

std::string groupDigitsOf(const std::string& decimalText, const std::string& separator) {
    std::string sign;
    std::string digits = decimalText;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        sign = digits.substr(0, 1);
        digits.erase(0, 1);
    }
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += separator;
        out += digits[i];
    }
    return sign + out;
}

std::string formatGrouped(double value, const LocaleSeparators& locale) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    std::string text = buffer;
    if (text == "-0") text = "0";
    return groupDigitsOf(text, locale.thousands);
}

std::string formatGrouped(int64_t value, const LocaleSeparators& locale) {
    return groupDigitsOf(std::to_string(value), locale.thousands);
}

std::string formatGrouped(uint64_t value, const LocaleSeparators& locale) {
    return groupDigitsOf(std::to_string(value), locale.thousands);
}

}  // namespace zv
