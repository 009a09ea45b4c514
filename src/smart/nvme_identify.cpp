#include "smart/nvme_identify.h"

#include "platform/api/codec.h"

namespace zv::smart {

std::string NvmeIdentifyText(const uint8_t* field, size_t length) {
    size_t begin = 0;
    size_t end = length;
    auto blank = [](uint8_t c) { return c == 0 || c == ' '; };
    while (begin < end && blank(field[begin])) ++begin;
    while (end > begin && blank(field[end - 1])) --end;
    return std::string(reinterpret_cast<const char*>(field) + begin, end - begin);
}

NvmeControllerIdentity DecodeNvmeIdentifyController(const uint8_t* page) {
    return {NvmeIdentifyText(page + 4, 20), NvmeIdentifyText(page + 24, 40), NvmeIdentifyText(page + 64, 8)};
}

int64_t NvmeNamespaceSizeBytes(const uint8_t* page) {
    const uint64_t blocks = codec::getLe64(page);
    const uint8_t flbas = page[26];
    // Bits 3:0 hold the low bits of the format index, bits 6:5 its high bits (more than 16 formats).
    const unsigned format = (flbas & 0x0Fu) | (((flbas >> 5) & 0x03u) << 4);
    const unsigned dataSizeShift = page[128 + 4 * format + 2];
    if (dataSizeShift < 9 || dataSizeShift > 62) return 0;
    if (blocks > (uint64_t(INT64_MAX) >> dataSizeShift)) return 0;
    return int64_t(blocks << dataSizeShift);
}

}  // namespace zv::smart
