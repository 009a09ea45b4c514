// "subst" lines of a start-up file.
#include "platform/linux/startup_text.h"

#include "platform/linux/line_escape.h"
#include "platform/linux/sysfs.h"

#include <cctype>

namespace zv::lnx {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmedView(std::string_view text) {
    while (!text.empty() && (isBlank(text.front()) || text.front() == '\r')) text.remove_prefix(1);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool startsWithSubst(std::string_view line) {
    if (line.size() < 6) return false;
    return lowerCase(std::string(line.substr(0, 5))) == "subst" && isBlank(line[5]);
}

}  // namespace

ParsedStartupFile parseStartupFile(std::string_view text) {
    ParsedStartupFile parsed;
    size_t pos = 0, number = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = trimmedView(text.substr(pos, end - pos));
        pos = end + 1;
        ++number;
        if (!startsWithSubst(line)) continue;
        std::string_view rest = trimmedView(line.substr(6));
        if (rest.size() < 3 || rest[1] != ':' || !std::isalpha(static_cast<unsigned char>(rest[0])) || !isBlank(rest[2])) {
            parsed.badLines.push_back({number, "a subst line needs a drive letter, a colon and a folder"});
            continue;
        }
        char letter = char(std::toupper(static_cast<unsigned char>(rest[0])));
        std::string_view path = trimmedView(rest.substr(3));
        if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
        if (lowerCase(std::string(path)) == "/d") continue;
        if (path.empty()) {
            parsed.badLines.push_back({number, "a subst line needs a folder"});
            continue;
        }
        if (hasControlCharacter(path)) {
            parsed.badLines.push_back({number, "the folder holds a control character"});
            continue;
        }
        parsed.substLines.emplace_back(letter, std::string(path));
    }
    return parsed;
}

}  // namespace zv::lnx
