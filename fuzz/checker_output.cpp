// The output of a file-system checker: e2fsck's progress lines, the verdict of each checker
// from its exit status and output, and the check engine that watches the lines for the
// phrases of a damaged file system (through the simulated machine's check library). The
// input: byte 0 the exit status, byte 1 the options and the checker, then the output lines.
#include "chkdsk/fmt_chk_dsk.h"
#include "platform/linux/checker_command.h"
#include "platform/sim/sim_platform.h"
#include "support/check.h"

#include <nlohmann/json.hpp>

using namespace zv;

namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void checkVerdict(const std::vector<std::string>& lines, int status, uint8_t choice) {
    static const char* const types[] = {"ext4", "xfs", "btrfs", "vfat", "exfat", "ntfs", "ext2", "msdos"};
    lnx::CheckerOptions options;
    options.fix = choice & 1;
    options.verbose = choice & 2;
    options.onlyIfDirty = choice & 4;
    options.scan = choice & 8;
    const bool stopped = choice & 16;
    const auto command = lnx::checkerFor(types[(choice >> 5) & 7], options);
    FUZZ_CHECK(command.has_value());
    const lnx::CheckerVerdict verdict = lnx::verdictOf(*command, options, status, stopped, lines);
    FUZZ_CHECK(!verdict.line.empty());
    // A run that was stopped or ended by a signal never counts as a success.
    if (status < 0 || stopped) FUZZ_CHECK(!verdict.success);
}

void checkEngine(const std::vector<std::string>& lines) {
    nlohmann::json script = nlohmann::json::array();
    for (const std::string& line : lines) script.push_back({{"line", line}});
    script.push_back({{"done", true}});
    nlohmann::json machine = {{"schema", 1},
                              {"drives", {{{"letter", "C"}, {"type", 3}, {"volume", {{"label", "SYSTEM"}, {"file_system", "NTFS"}}}}}},
                              {"checker", {{"scripts", {{"C", script}}}}}};
    // Lines that are not UTF-8 reach the machine file with U+FFFD in place of the bad bytes.
    const std::string text = machine.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    const auto platform = sim::SimPlatform::fromText(text, "checker.json");

    chkdsk::TFmtChkDsk engine(*platform);
    std::vector<std::string> shown;
    engine.onInfoEvent = [&](const std::string& info, bool&) { shown.push_back(info); };
    const bool result = engine.CheckDisk("C:\\", false, false, false, false);
    FUZZ_CHECK(engine.FinishedOK());
    FUZZ_CHECK(result == true);
    FUZZ_CHECK(engine.FirstErrorLine().empty() == !(engine.FileSysProblem() || engine.FreeSpaceAlloc()));
    // The volume line, one line per output line that is not blank, the final line. Lines
    // travel as zero-terminated texts: a line ends at its first zero byte.
    size_t nonBlank = 0;
    for (const auto& item : script)
        if (item.contains("line") && !chkdsk::trimLine(item["line"].get<std::string>().c_str()).empty()) ++nonBlank;
    FUZZ_CHECK(shown.size() == nonBlank + 2);
    for (const std::string& line : shown) FUZZ_CHECK(!line.empty() && chkdsk::trimLine(line) == line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int status = int(int8_t(data[0]));
    const std::string output(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::vector<std::string> lines = linesOf(output);

    for (const std::string& line : lines) {
        const auto percent = lnx::e2fsckProgressPercent(line);
        FUZZ_CHECK(!percent || (*percent >= 0 && *percent <= 100));
    }
    checkVerdict(lines, status, data[1]);
    if (lines.size() <= 64) checkEngine(lines);
    return 0;
}
