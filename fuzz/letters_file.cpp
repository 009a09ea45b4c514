// The letters file (which volume last had which letter) as its parser reads it, and the
// escaped fields of the line-based own files: never an exception, and what is written for
// what was read reads back the same, without a bad line.
#include "platform/linux/letter_memory.h"
#include "platform/linux/line_escape.h"
#include "support/check.h"

using namespace zv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const lnx::ParsedLettersFile parsed = lnx::parseLettersFile(text);
    for (const auto& [letter, key] : parsed.letters) FUZZ_CHECK(letter >= 'A' && letter <= 'Z' && !key.empty());
    for (const lnx::BadLine& bad : parsed.badLines) FUZZ_CHECK(bad.line >= 1 && !bad.reason.empty());

    const std::string written = lnx::lettersFileText(parsed.letters);
    const lnx::ParsedLettersFile again = lnx::parseLettersFile(written);
    FUZZ_CHECK(again.badLines.empty() && again.letters == parsed.letters);

    // Any bytes survive a field: the escaped form holds no control character, no line
    // break, no tab.
    const std::string escaped = lnx::escapedField(text);
    FUZZ_CHECK(!lnx::hasControlCharacter(escaped));
    const auto unescaped = lnx::unescapedField(escaped);
    FUZZ_CHECK(unescaped.has_value() && *unescaped == text);
    lnx::unescapedField(text);
    return 0;
}
