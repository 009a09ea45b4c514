#include "cli/cli_context.h"

#include <cctype>
#include <cstdio>

namespace zv::cli {

std::string jsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

char parseDriveArgument(const std::string& argument) {
    if (argument.empty() || argument.size() > 3) return 0;
    const unsigned char c = static_cast<unsigned char>(argument[0]);
    if (!std::isalpha(c)) return 0;
    if (argument.size() >= 2 && argument[1] != ':') return 0;
    if (argument.size() == 3 && argument[2] != '\\' && argument[2] != '/') return 0;
    return static_cast<char>(std::toupper(c));
}

}  // namespace zv::cli
