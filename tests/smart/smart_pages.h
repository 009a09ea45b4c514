// Builders of the 512-byte pages the S.M.A.R.T. tests feed to the decoders.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zv::smart::test {

struct Attr {
    int id;
    uint16_t flags;
    int current;
    int worst;
    uint64_t raw;
};

inline std::array<uint8_t, 512> attributePage(const std::vector<Attr>& attrs) {
    std::array<uint8_t, 512> page{};
    page[0] = 0x10;
    for (size_t k = 0; k < attrs.size(); ++k) {
        uint8_t* e = &page[2 + 12 * k];
        e[0] = uint8_t(attrs[k].id);
        e[1] = uint8_t(attrs[k].flags);
        e[2] = uint8_t(attrs[k].flags >> 8);
        e[3] = uint8_t(attrs[k].current);
        e[4] = uint8_t(attrs[k].worst);
        for (int i = 0; i < 6; ++i) e[5 + i] = uint8_t(attrs[k].raw >> (8 * i));
    }
    return page;
}

inline std::array<uint8_t, 512> thresholdPage(const std::vector<std::pair<int, int>>& thresholds) {
    std::array<uint8_t, 512> page{};
    page[0] = 0x10;
    for (size_t k = 0; k < thresholds.size(); ++k) {
        page[2 + 12 * k] = uint8_t(thresholds[k].first);
        page[3 + 12 * k] = uint8_t(thresholds[k].second);
    }
    return page;
}

// An ATA string as a drive stores it: padded with blanks, the first character of each pair
// in the second byte.
inline void putAtaString(uint8_t* field, size_t length, const std::string& text) {
    for (size_t i = 0; i < length; i += 2) {
        field[i] = uint8_t(i + 1 < text.size() ? text[i + 1] : ' ');
        field[i + 1] = uint8_t(i < text.size() ? text[i] : ' ');
    }
}

}  // namespace zv::smart::test
