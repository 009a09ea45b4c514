// The text of the session's substitute table: a header comment, then one
// "X<TAB>definition" line per definition, the most recent of a letter first (letter_lines.h).
#pragma once

#include "platform/linux/bad_line.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zv::lnx {

using SubstDefinitions = std::map<char, std::vector<std::string>>;

struct ParsedSubstituteTable {
    SubstDefinitions definitions;
    std::vector<BadLine> badLines;
};

// Never throws.
ParsedSubstituteTable parseSubstituteTable(std::string_view text);
std::string substituteTableText(const SubstDefinitions& table);

}  // namespace zv::lnx
