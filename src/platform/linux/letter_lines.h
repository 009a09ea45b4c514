// The line form shared by the letters file and the substitute table: a comment header, then
// one "X<TAB>value" line per entry, the value escaped (line_escape.h). Files written before
// values were escaped start with their old header line; their values are taken as written.
#pragma once

#include "platform/linux/bad_line.h"

#include <string>
#include <string_view>
#include <vector>

namespace zv::lnx {

struct LetterLine {
    char letter = 0;  // 'A'..'Z'
    std::string value;
};

struct ParsedLetterLines {
    std::vector<LetterLine> lines;
    std::vector<BadLine> badLines;
};

// Never throws; blank lines and "#" comments are skipped, every other line that is not a
// letter, a tab and a well-formed non-empty value is a bad line.
ParsedLetterLines parseLetterLines(std::string_view text, std::string_view unescapedHeader);
// `header` (a comment line without "# ") and the lines, values escaped.
std::string letterLinesText(std::string_view header, const std::vector<LetterLine>& lines);

}  // namespace zv::lnx
