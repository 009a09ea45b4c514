#include "cli/cli_context.h"

#include <cctype>

namespace zv::cli {

char parseDriveArgument(const std::string& argument) {
    if (argument.empty() || argument.size() > 3) return 0;
    const unsigned char c = static_cast<unsigned char>(argument[0]);
    if (!std::isalpha(c)) return 0;
    if (argument.size() >= 2 && argument[1] != ':') return 0;
    if (argument.size() == 3 && argument[2] != '\\' && argument[2] != '/') return 0;
    return static_cast<char>(std::toupper(c));
}

char requireDrive(const ParsedArguments& args, const std::string& whenMissing) {
    const std::vector<std::string>& operands = args.operands();
    if (operands.empty()) throw UsageError(whenMissing);
    if (operands.size() > 1) throw UsageError("unexpected argument '" + operands[1] + "'");
    const char letter = parseDriveArgument(operands[0]);
    if (!letter) throw UsageError("'" + operands[0] + "' is no drive letter (write it as X:)");
    return letter;
}

void requireNoOperands(const ParsedArguments& args, const std::string& command) {
    if (!args.operands().empty())
        throw UsageError(command + " takes no arguments (unexpected '" + args.operands()[0] + "')");
}

void requireExistingDrive(CliContext& context, char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (context.platform.drives().GetDriveTypeA(root.c_str()) == win::DRIVE_NO_ROOT_DIR)
        throw CommandFailure("no_such_drive", "there is no drive " + std::string(1, letter) + ":");
}

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

}  // namespace zv::cli
