#include "survey/drive_texts.h"

#include "common/number_format.h"

#include <cmath>

namespace zv::survey {

std::string sizeText(double bytes, const platform::LocaleSeparators& locale) {
    if (!std::isfinite(bytes)) return {};
    if (bytes > kGigabyteBoundary) return formatFixed(bytes / 1024 / 1024 / 1024, 3, 2, locale) + " GB";
    return formatFixed(bytes / 1024 / 1024, 3, 2, locale) + " MB";
}

std::string bytesFreeText(double freeBytes, const platform::LocaleSeparators& locale) {
    return formatGrouped(freeBytes == -1 ? 0.0 : freeBytes, locale);
}

std::string percentFreeText(double percentFree, const platform::LocaleSeparators& locale) {
    if (!std::isfinite(percentFree)) return "0.0%";
    return formatFixed(percentFree, 8, 1, locale) + "%";
}

std::string cutAtCharacterBoundary(const std::string& text, size_t maxBytes) {
    std::string cut = text.substr(0, maxBytes);
    // Walk back over the continuation bytes (10xxxxxx) of the last character to its lead byte.
    // The system may have cut the text already, so the check runs even when nothing was cut.
    size_t lead = cut.size();
    size_t continuation = 0;
    while (lead > 0 && continuation < 3 && (static_cast<unsigned char>(cut[lead - 1]) & 0xC0) == 0x80) {
        --lead;
        ++continuation;
    }
    if (lead == 0) return cut;  // no lead byte at all: not UTF-8, left as it is
    const unsigned char first = static_cast<unsigned char>(cut[lead - 1]);
    const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    if (length > continuation + 1) cut.resize(lead - 1);
    return cut;
}

std::string vendorOf(const std::string& identityText) { return identityText.substr(0, 8); }

std::string productIdOf(const std::string& identityText) {
    if (identityText.size() <= 8) return {};
    return identityText.substr(8, 16);
}

}  // namespace zv::survey
