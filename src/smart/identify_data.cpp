#include "smart/identify_data.h"

#include "platform/api/codec.h"

namespace zv::smart {

std::string IdentifyText(const uint8_t* field, size_t length) {
    std::string text(length, ' ');
    for (size_t i = 0; i + 1 < length; i += 2) {
        text[i] = char(field[i + 1]);
        text[i + 1] = char(field[i]);
    }
    if (length % 2) text[length - 1] = char(field[length - 1]);
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
    return text.substr(begin, end - begin);
}

namespace {

// Words 60-61 stop at 0x0FFFFFFF sectors (128 GiB). A drive with 48-bit addressing (word 83
// bit 10, the word valid when its bits 15-14 are 01) gives its whole count in words 100-103.
uint64_t sectorCount(const uint8_t* page) {
    const uint16_t word83 = codec::getLe16(page + 166);
    const bool word83Valid = (word83 & 0xC000) == 0x4000;
    if (word83Valid && (word83 & 0x0400)) {
        const uint64_t sectors48 = uint64_t(codec::getLe32(page + 200)) | (uint64_t(codec::getLe16(page + 204)) << 32);
        if (sectors48 != 0) return sectors48;
    }
    return codec::getLe32(page + 120);
}

}  // namespace

IdentifyFields DecodeIdentify(const uint8_t* page) {
    IdentifyFields f;
    f.serial = IdentifyText(page + 20, 20);
    f.firmware = IdentifyText(page + 46, 8);
    f.model = IdentifyText(page + 54, 40);
    f.sizeBytes = int64_t(sectorCount(page) * 512u);
    f.word47 = int32_t(codec::getLe16(page + 94));
    return f;
}

}  // namespace zv::smart
