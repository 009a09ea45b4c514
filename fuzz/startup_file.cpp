// The user's start-up file ("subst X: path" lines that bring substitute letters back at the
// next login) as its parser reads it: never an exception; every line it takes gives one
// letter and one folder without a control character, and that line written again alone
// gives the same letter and folder.
#include "platform/linux/line_escape.h"
#include "platform/linux/startup_file.h"
#include "support/check.h"

using namespace zv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const lnx::ParsedStartupFile parsed = lnx::parseStartupFile(text);
    size_t lines = 0;
    for (char c : text) lines += c == '\n';
    // Never more commands than lines: a line break inside a folder name makes no command.
    FUZZ_CHECK(parsed.substLines.size() + parsed.badLines.size() <= lines + 1);
    for (const auto& [letter, path] : parsed.substLines) {
        FUZZ_CHECK(letter >= 'A' && letter <= 'Z');
        FUZZ_CHECK(!path.empty() && !lnx::hasControlCharacter(path));
        const lnx::ParsedStartupFile alone = lnx::parseStartupFile("subst " + std::string(1, letter) + ": \"" + path + "\"\n");
        FUZZ_CHECK(alone.badLines.empty() && alone.substLines.size() == 1);
        FUZZ_CHECK(alone.substLines[0].first == letter && alone.substLines[0].second == path);
    }
    for (const lnx::BadLine& bad : parsed.badLines) FUZZ_CHECK(bad.line >= 1 && bad.line <= lines + 1);
    return 0;
}
