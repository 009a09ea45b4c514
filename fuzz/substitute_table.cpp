// The substitute table (the session's substitute letters and their stacks of definitions)
// as its parser reads it: never an exception, and the table written for what was read
// reads back the same, without a bad line.
#include "platform/linux/substitutes.h"
#include "support/check.h"

using namespace zv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const lnx::ParsedSubstituteTable parsed = lnx::parseSubstituteTable(text);
    for (const auto& [letter, definitions] : parsed.definitions) {
        FUZZ_CHECK(letter >= 'A' && letter <= 'Z' && !definitions.empty());
        for (const std::string& definition : definitions) FUZZ_CHECK(!definition.empty());
        lnx::substituteFolder(definitions);
    }
    for (const lnx::BadLine& bad : parsed.badLines) FUZZ_CHECK(bad.line >= 1 && !bad.reason.empty());

    const std::string written = lnx::substituteTableText(parsed.definitions);
    const lnx::ParsedSubstituteTable again = lnx::parseSubstituteTable(written);
    FUZZ_CHECK(again.badLines.empty() && again.definitions == parsed.definitions);
    return 0;
}
