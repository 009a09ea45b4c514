// The text of the letters file: a header comment, then one "X<TAB>key" line a letter
// (letter_lines.h), the key escaped.
#pragma once

#include "platform/linux/bad_line.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zv::lnx {

struct ParsedLettersFile {
    std::map<char, std::string> letters;  // letter -> key of the volume that last had it
    std::vector<BadLine> badLines;
};

// Never throws.
ParsedLettersFile parseLettersFile(std::string_view text);
std::string lettersFileText(const std::map<char, std::string>& letters);

}  // namespace zv::lnx
