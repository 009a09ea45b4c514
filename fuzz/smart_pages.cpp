// The S.M.A.R.T. attribute and threshold pages as a disk answers them (the first 512 bytes
// of the input are the attribute page, the next 512 the threshold page), read the whole
// way through the disk driver's requests, and the sense data of an ATA command that failed.
#include "platform/linux/ata_pass_through.h"
#include "smart/attribute_evaluation.h"
#include "smart/smart_access.h"
#include "support/check.h"
#include "support/disk_bench.h"

#include <set>

using namespace zv;

namespace {

std::vector<uint8_t> part(const uint8_t* data, size_t size, size_t from) {
    std::vector<uint8_t> page(512, 0);
    for (size_t i = from; i < size && i < from + 512; ++i) page[i - from] = data[i];
    return page;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzz::DiskBench bench;
    const std::vector<uint8_t> attributes = part(data, size, 0);
    const std::vector<uint8_t> thresholds = part(data, size, 512);
    const auto identify = fuzz::DiskBench::identifyPage();
    bench.answer(std::vector<uint8_t>(identify.begin(), identify.end()), attributes, thresholds);

    smart::TSmartResult result;
    std::string errorText;
    FUZZ_CHECK(smart::ReadSmartData(bench.platform(), bench.driveNumber(), result, errorText));

    // Every entry up to the first identifier 0 (at most 30) is judged, and nothing else.
    static const std::set<std::string> states = {"-", "OK", "Failing Now", "Failed In Past", "Warning"};
    FUZZ_CHECK(result.AttrCount >= 0 && result.AttrCount <= smart::kAttributeEntries);
    FUZZ_CHECK(result.FailCount >= 0 && result.WarnCount >= 0 && result.FailCount + result.WarnCount <= result.AttrCount);
    for (int k = 0; k < smart::kAttributeSlots; ++k) {
        const size_t s = size_t(k);
        if (k < result.AttrCount) {
            FUZZ_CHECK(result.Ids[s] == attributes[2 + 12 * s] && result.Ids[s] != 0);
            FUZZ_CHECK(states.count(result.State[s]) == 1 && !result.Names[s].empty());
            FUZZ_CHECK(result.Raw[s] >= 0 && result.Raw[s] < (int64_t(1) << 48));
        } else {
            FUZZ_CHECK(result.Ids[s] == 0 && result.State[s].empty());
        }
    }
    FUZZ_CHECK(result.AttrCount == smart::kAttributeEntries || attributes[2 + 12 * size_t(result.AttrCount)] == 0);

    // The pages read through the driver judge as the pages themselves.
    smart::TSmartResult direct;
    smart::EvaluateAttributes(attributes.data(), thresholds.data(), direct);
    FUZZ_CHECK(direct.AttrCount == result.AttrCount && direct.State == result.State && direct.Raw == result.Raw &&
               direct.Temperature == result.Temperature);

    // The same bytes as the sense data of a failed ATA command, as long as they are.
    const std::vector<uint8_t> sense(data, data + size);
    lnx::AtaOutcome outcome;
    lnx::decodeAtaSense(sense.data(), sense.size(), outcome);
    return 0;
}
