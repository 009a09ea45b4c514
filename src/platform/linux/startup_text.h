// The text of the user's start-up file as Zorvane reads it: the "subst X: folder" lines
// (a batch file; every other line is left to whoever else reads it).
#pragma once

#include "platform/linux/bad_line.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zv::lnx {

struct ParsedStartupFile {
    std::vector<std::pair<char, std::string>> substLines;  // letter (upper case) and path
    std::vector<BadLine> badLines;                          // "subst" lines that cannot be used
};

// Never throws. Other commands are no bad lines; "subst X: /d" (a removal) is skipped.
ParsedStartupFile parseStartupFile(std::string_view text);

}  // namespace zv::lnx
