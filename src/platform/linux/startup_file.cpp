// The user's start-up file.
#include "platform/linux/startup_file.h"

#include "platform/linux/line_escape.h"
#include "platform/linux/own_file.h"

#include <cerrno>

namespace zv::lnx {

namespace {

// One line: no control character but its line end (CR LF or LF, or none).
bool isOneLine(std::string_view text) {
    if (text.size() >= 1 && text.back() == '\n') text.remove_suffix(1);
    if (text.size() >= 1 && text.back() == '\r') text.remove_suffix(1);
    return !hasControlCharacter(text);
}

}  // namespace

std::string startupFilePath(LinuxContext& ctx, bool create) {
    std::string folder = ctx.configFolder(create);
    return folder.empty() ? std::string() : folder + "/autoexec.bat";
}

std::vector<std::pair<char, std::string>> startupSubstitutes(LinuxContext& ctx) {
    std::string path = startupFilePath(ctx, false);
    if (path.empty()) return {};
    OwnFileContents contents = readOwnFile(path);
    if (contents.state == OwnFileContents::State::Refused) {
        reportOnce("the start-up file " + path + " is not read (" + contents.problem + ").");
        return {};
    }
    ParsedStartupFile parsed = parseStartupFile(contents.text);
    reportBadLines(path, parsed.badLines);
    return parsed.substLines;
}

int appendToStartupFile(LinuxContext& ctx, const std::string& text) {
    if (!isOneLine(text)) return EINVAL;
    std::string path = startupFilePath(ctx, true);
    if (path.empty()) return EACCES;
    return rewriteOwnFile(path, [&text](const OwnFileContents& current) {
        std::string next = current.state == OwnFileContents::State::Read ? current.text : std::string();
        // A last line without its line end must not run into the appended one.
        if (!next.empty() && next.back() != '\n') next += "\r\n";
        return OwnFileRewrite{next + text, false};
    });
}

}  // namespace zv::lnx
