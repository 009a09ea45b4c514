// MODE SENSE (10) with the CD/DVD capabilities page (2Ah) as a drive answers it: the block
// descriptor length that places the page, the capability bits, buffer size and speeds.
#include "optical/capability_summary.h"
#include "support/check.h"
#include "support/optical_bench.h"

#include <set>

using namespace zv;

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::OpticalBench bench;
    bench.seam().answers.clear();
    bench.seam().answers[fuzz::kModeSense10].data.assign(data, data + size);
    const fuzz::OpticalReport report = bench.run();

    // The default profile is known: the summary always ends with the three figures, after
    // at most one line per capability phrase.
    static const std::set<std::string> phrases = {
        "Read CD-R", "Read CD-RW", "Read Method 2", "Read DVD-ROM", "Read DVD-R / DVD-RW", "Read DVD-RAM",
        "Write CD-R", "Write CD-RW", "Write Test", "Write DVD-R / DVD-RW", "Write DVD-RAM"};
    const std::vector<std::string> lines = optical::summaryLines(report.summary);
    FUZZ_CHECK(lines.size() >= 4 && lines.size() <= 14);
    const size_t n = lines.size();
    FUZZ_CHECK(startsWith(lines[n - 3], "Device Buffer: ") && lines[n - 3].back() == 'k');
    FUZZ_CHECK(startsWith(lines[n - 2], "Max Read Speed: ") && lines[n - 2].back() == 'x');
    FUZZ_CHECK(startsWith(lines[n - 1], "Max Write Speed: ") && lines[n - 1].back() == 'x');
    for (size_t i = 0; i + 3 < n; ++i) FUZZ_CHECK(lines[i].empty() ? i == 0 : phrases.count(lines[i]) == 1);

    // The page found in the answer as the pure decoder sees it gives the same summary.
    std::vector<uint8_t> response(data, data + size);
    response.resize(440, 0);
    FUZZ_CHECK(optical::buildCapabilitySummary(optical::capabilityPageBytes(response.data(), response.size())) ==
          report.summary);
    FUZZ_CHECK(optical::capabilityPageBytes(data, size).size() == 20);
    return 0;
}
