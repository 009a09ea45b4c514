// GET CONFIGURATION as a drive answers it: the current profile, and the capability summary
// that is built only for a known profile.
#include "optical/media_profiles.h"
#include "platform/api/codec.h"
#include "support/check.h"
#include "support/optical_bench.h"

using namespace zv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::OpticalBench bench;
    bench.seam().answers.clear();
    bench.seam().answers[fuzz::kGetConfiguration].data.assign(data, data + size);
    const fuzz::OpticalReport report = bench.run();

    // The current profile is bytes 6-7 of what the drive sent; bytes it did not send read
    // as zero, never as stale memory.
    uint8_t profileBytes[2] = {size > 6 ? data[6] : uint8_t(0), size > 7 ? data[7] : uint8_t(0)};
    FUZZ_CHECK(report.profile.has_value() && *report.profile == codec::getBe16(profileBytes));
    const bool known = optical::isKnownProfile(*report.profile);
    FUZZ_CHECK(report.summary.empty() != known);
    FUZZ_CHECK(!report.disc || (known && optical::isDvdProfile(*report.profile)));
    FUZZ_CHECK(!optical::describeProfile(report.profile).empty());
    return 0;
}
