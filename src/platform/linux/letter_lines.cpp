// "X<TAB>value" lines.
#include "platform/linux/letter_lines.h"

#include "platform/linux/line_escape.h"

namespace zv::lnx {

ParsedLetterLines parseLetterLines(std::string_view text, std::string_view unescapedHeader) {
    ParsedLetterLines parsed;
    bool escaped = true;
    size_t pos = 0, number = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (number == 1 && line == unescapedHeader) escaped = false;
        if (line.empty() || line[0] == '#') continue;
        if (line.size() < 3 || line[0] < 'A' || line[0] > 'Z' || line[1] != '\t') {
            parsed.badLines.push_back({number, "not a letter, a tab and a value"});
            continue;
        }
        std::string_view field = line.substr(2);
        std::optional<std::string> value = escaped ? unescapedField(field) : std::optional<std::string>(field);
        if (!value || value->empty()) {
            parsed.badLines.push_back({number, "the value holds a control character or a bad escape"});
            continue;
        }
        parsed.lines.push_back({line[0], std::move(*value)});
    }
    return parsed;
}

std::string letterLinesText(std::string_view header, const std::vector<LetterLine>& lines) {
    std::string text = "# " + std::string(header) + "\n";
    for (const LetterLine& line : lines) text += std::string(1, line.letter) + "\t" + escapedField(line.value) + "\n";
    return text;
}

}  // namespace zv::lnx
