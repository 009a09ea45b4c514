// The letters file's text.
#include "platform/linux/letters_file.h"

#include "platform/linux/letter_lines.h"

namespace zv::lnx {

namespace {

const char* const kHeader = "Zorvane letters 2: drive letters last given to each volume";
// Files of the first form, whose keys were written as they are.
const char* const kUnescapedHeader = "# Drive letters last given to each volume (Zorvane)";

}  // namespace

ParsedLettersFile parseLettersFile(std::string_view text) {
    ParsedLettersFile parsed;
    ParsedLetterLines lines = parseLetterLines(text, kUnescapedHeader);
    parsed.badLines = std::move(lines.badLines);
    for (auto& line : lines.lines) parsed.letters[line.letter] = std::move(line.value);
    return parsed;
}

std::string lettersFileText(const std::map<char, std::string>& letters) {
    std::vector<LetterLine> lines;
    for (const auto& [letter, key] : letters) lines.push_back({letter, key});
    return letterLinesText(kHeader, lines);
}

}  // namespace zv::lnx
