// READ DISC STRUCTURE (DVD physical format information) as a drive answers it, for a DVD
// in the drive.
#include "optical/disc_structure.h"
#include "support/check.h"
#include "support/optical_bench.h"

#include <set>

using namespace zv;

namespace {

void checkTexts(const optical::DvdPhysicalFormat& f) {
    static const std::set<std::string> books = {"DVD-ROM", "DVD-RAM", "DVD-R", "DVD-RW", "DVD+RW", "DVD+R", "Unknown"};
    static const std::set<std::string> sizes = {"120mm", "80mm", "Unknown"};
    static const std::set<std::string> rates = {"2.52 Mbps", "5.04 Mbps", "10.08 Mbps", "Not Specified", "Unknown"};
    static const std::set<std::string> layers = {"0", "1", "2", "3"};
    FUZZ_CHECK(books.count(f.bookType) && sizes.count(f.discSize) && rates.count(f.maximumRate));
    FUZZ_CHECK(layers.count(f.layers));
    FUZZ_CHECK(!f.layerType.empty() && !f.linearDensity.empty() && !f.trackDensity.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::OpticalBench bench;
    bench.seam().answers.clear();
    bench.seam().answers[fuzz::kReadDiscStructure].data.assign(data, data + size);
    const fuzz::OpticalReport report = bench.run();

    // A DVD-ROM is in the drive: the format is read, from bytes 4-7 of the answer (zero
    // where the drive sent less).
    FUZZ_CHECK(report.disc.has_value());
    checkTexts(*report.disc);
    uint8_t answer[21] = {};
    for (size_t i = 0; i < size && i < sizeof answer; ++i) answer[i] = data[i];
    const optical::DvdPhysicalFormat expected = optical::decodeDvdPhysicalFormat(answer);
    FUZZ_CHECK(report.disc->bookType == expected.bookType && report.disc->layers == expected.layers &&
          report.disc->trackDensity == expected.trackDensity);
    return 0;
}
