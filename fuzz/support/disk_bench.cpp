#include "support/disk_bench.h"

#include "platform/api/platform.h"
#include "smart/smart_pages.h"
#include "support/recorded_machine.h"

namespace zv::fuzz {

namespace {

std::vector<uint8_t> sector(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> page(bytes);
    page.resize(512, 0);
    return page;
}

template <size_t N>
std::vector<uint8_t> asVector(const std::array<uint8_t, N>& page) {
    return std::vector<uint8_t>(page.begin(), page.end());
}

}  // namespace

DiskBench::DiskBench() : m_platform(recordedLinuxPlatform("desktop", m_seam)) {
    answer(asVector(identifyPage()), asVector(attributePage()), asVector(thresholdPage()));
}

DiskBench::~DiskBench() = default;

std::array<uint8_t, 512> DiskBench::identifyPage() {
    std::array<uint8_t, 512> page{};
    smart::test::putAtaString(&page[20], 20, "WD-WCC6Y0ABCDEF");
    smart::test::putAtaString(&page[46], 8, "01.01A01");
    smart::test::putAtaString(&page[54], 40, "WDC WD10EZEX-08WN4A0");
    page[94] = 0x10;
    page[95] = 0x80;
    const uint32_t sectors = 268435455;
    for (int i = 0; i < 4; ++i) page[120 + size_t(i)] = uint8_t(sectors >> (8 * i));
    return page;
}

std::array<uint8_t, 512> DiskBench::attributePage() {
    return smart::test::attributePage({{1, 0x2F, 200, 200, 0}, {3, 0x27, 171, 169, 2425}, {5, 0x33, 200, 200, 3},
                                       {9, 0x32, 89, 89, 8123}, {12, 0x32, 100, 100, 1234}, {194, 0x22, 112, 95, 35},
                                       {197, 0x32, 200, 200, 0}});
}

std::array<uint8_t, 512> DiskBench::thresholdPage() {
    return smart::test::thresholdPage({{1, 51}, {3, 21}, {5, 140}, {9, 0}, {12, 0}, {194, 0}, {197, 0}});
}

void DiskBench::answer(const std::vector<uint8_t>& identify, const std::vector<uint8_t>& attributes,
                       const std::vector<uint8_t>& thresholds) {
    m_seam.ataAnswers.clear();
    m_seam.ataAnswers[ataKey(kAtaIdentify, 0)].data = sector(identify);
    m_seam.ataAnswers[ataKey(kAtaSmart, kSmartReadData)].data = sector(attributes);
    m_seam.ataAnswers[ataKey(kAtaSmart, kSmartReadThresholds)].data = sector(thresholds);
}

}  // namespace zv::fuzz
