#include "cli/cli_context.h"

#include "common/utf.h"

#include <cctype>
#include <cstdio>

namespace zv::cli {

std::string jsonQuote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : validUtf8(text)) {
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

DriveRequest parseDriveRequest(const std::vector<std::string>& args, bool json, const std::string& whenMissing) {
    DriveRequest request;
    request.json = json;
    for (const std::string& argument : args) {
        if (argument == "--json") {
            request.json = true;
        } else if (!argument.empty() && argument[0] == '-') {
            throw UsageError("unknown option '" + argument + "'");
        } else if (request.letter) {
            throw UsageError("unexpected argument '" + argument + "'");
        } else if (!(request.letter = parseDriveArgument(argument))) {
            throw UsageError("'" + argument + "' is no drive letter (write it as X:)");
        }
    }
    if (!request.letter) throw UsageError(whenMissing);
    return request;
}

}  // namespace zv::cli

namespace zv::cli {

std::vector<std::string> splitCommaList(const std::string& text) {
    std::vector<std::string> items;
    if (text.empty()) return items;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        items.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

bool takeOptionValue(const std::vector<std::string>& args, size_t* index, const std::string& name,
                     std::string* value) {
    const std::string& argument = args[*index];
    if (argument == name) {
        if (*index + 1 >= args.size()) throw UsageError("option " + name + " needs a value");
        *value = args[++*index];
        return true;
    }
    if (argument.rfind(name + "=", 0) == 0) {
        *value = argument.substr(name.size() + 1);
        return true;
    }
    return false;
}

}  // namespace zv::cli
