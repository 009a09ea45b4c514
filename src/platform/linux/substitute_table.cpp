// The substitute table's text.
#include "platform/linux/substitute_table.h"

#include "platform/linux/letter_lines.h"

namespace zv::lnx {

namespace {

const char* const kHeader = "Zorvane substitutes 2: substitute drive letters of this session, most recent first";
// Tables of the first form, whose definitions were written as they are.
const char* const kUnescapedHeader = "# Substitute drive letters of this session, most recent first (Zorvane)";

}  // namespace

ParsedSubstituteTable parseSubstituteTable(std::string_view text) {
    ParsedSubstituteTable parsed;
    ParsedLetterLines lines = parseLetterLines(text, kUnescapedHeader);
    parsed.badLines = std::move(lines.badLines);
    for (auto& line : lines.lines) parsed.definitions[line.letter].push_back(std::move(line.value));
    return parsed;
}

std::string substituteTableText(const SubstDefinitions& table) {
    std::vector<LetterLine> lines;
    for (const auto& [letter, definitions] : table)
        for (const auto& definition : definitions) lines.push_back({letter, definition});
    return letterLinesText(kHeader, lines);
}

}  // namespace zv::lnx
