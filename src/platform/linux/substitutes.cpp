// The session's substitute letters.
#include "platform/linux/substitutes.h"

#include "platform/linux/drive_letters.h"
#include "platform/linux/sysfs.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

const std::string kFolderPrefix = "\\??\\";

std::string tablePath(LinuxContext& ctx) { return ctx.options().runtimeDir + "/substitutes"; }

SubstDefinitions parseTable(const std::string& text) {
    SubstDefinitions table;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > 2 && line[0] >= 'A' && line[0] <= 'Z' && line[1] == '\t') table[line[0]].push_back(line.substr(2));
    }
    return table;
}

bool writeTable(LinuxContext& ctx, const SubstDefinitions& table) {
    makeFolders(ctx.options().runtimeDir);
    std::string text = "# Substitute drive letters of this session, most recent first (Zorvane)\n";
    for (const auto& [letter, definitions] : table)
        for (const auto& definition : definitions) text += std::string(1, letter) + "\t" + definition + "\n";
    std::string path = tablePath(ctx), temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ok = ::fsync(fd) == 0 && ok;
    ::close(fd);
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool sameTarget(const std::string& definition, const std::string& target, bool exact) {
    auto equal = [exact](const std::string& a, const std::string& b) {
        return exact ? a == b : lowerCase(a) == lowerCase(b);
    };
    return equal(definition, target) || equal(definition, kFolderPrefix + target);
}

}  // namespace

std::string startupFilePath(LinuxContext& ctx) { return ctx.options().configDir + "/autoexec.bat"; }

std::vector<std::pair<char, std::string>> parseStartupSubstLines(const std::string& text) {
    std::vector<std::pair<char, std::string>> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (lowerCase(line.substr(0, 6)) != "subst ") continue;
        std::string rest = trimmed(line.substr(6));
        if (rest.size() < 3 || rest[1] != ':' || !std::isalpha(static_cast<unsigned char>(rest[0])) ||
            !std::isspace(static_cast<unsigned char>(rest[2])))
            continue;
        char letter = char(std::toupper(static_cast<unsigned char>(rest[0])));
        std::string path = trimmed(rest.substr(3));
        if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
        if (path.empty() || lowerCase(path) == "/d") continue;
        lines.emplace_back(letter, path);
    }
    return lines;
}

SubstDefinitions loadSubstitutes(LinuxContext& ctx) {
    if (ctx.options().runtimeDir.empty()) return {};
    if (auto text = readFileBytes(tablePath(ctx))) return parseTable(*text);
    // The session's first use: bring back the letters the start-up file makes.
    SubstDefinitions table;
    if (auto startup = readFileBytes(startupFilePath(ctx))) {
        for (const auto& [letter, path] : parseStartupSubstLines(*startup)) {
            if (letter == 'C') continue;
            auto& definitions = table[letter];
            definitions.insert(definitions.begin(), kFolderPrefix + path);
        }
    }
    writeTable(ctx, table);
    return table;
}

std::string substitutesStamp(LinuxContext& ctx) {
    struct stat st;
    if (ctx.options().runtimeDir.empty() || ::stat(tablePath(ctx).c_str(), &st) != 0) return "-";
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
           "." + std::to_string(st.st_mtim.tv_nsec);
}

std::string substituteFolder(const std::vector<std::string>& definitions) {
    if (definitions.empty() || definitions.front().rfind(kFolderPrefix, 0) != 0) return {};
    return definitions.front().substr(kFolderPrefix.size());
}

BOOL defineSubstitute(LinuxContext& ctx, DWORD flags, char letter, const char* targetPath) {
    letter = char(std::toupper(static_cast<unsigned char>(letter)));
    if (letter < 'A' || letter > 'Z') {
        ctx.setLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (ctx.options().runtimeDir.empty()) {
        ctx.setLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    std::string target = targetPath ? targetPath : "";
    SubstDefinitions table = loadSubstitutes(ctx);
    auto& definitions = table[letter];
    if (flags & DDD_REMOVE_DEFINITION) {
        // Only substitute definitions can be removed: an empty target never takes a volume's letter.
        auto match = definitions.end();
        if (target.empty()) {
            match = definitions.begin();
        } else {
            for (auto it = definitions.begin(); it != definitions.end(); ++it)
                if (sameTarget(*it, target, flags & DDD_EXACT_MATCH_ON_REMOVE)) {
                    match = it;
                    break;
                }
        }
        if (match == definitions.end()) {
            ctx.setLastError(ERROR_FILE_NOT_FOUND);
            return FALSE;
        }
        definitions.erase(match);
        if (definitions.empty()) table.erase(letter);
    } else {
        if (target.empty()) {
            ctx.setLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const LetterEntry* current = letterEntry(ctx, letter);
        if (letter == 'C' || (current && !current->target.substitute)) {
            ctx.setLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        definitions.insert(definitions.begin(), (flags & DDD_RAW_TARGET_PATH) ? target : kFolderPrefix + target);
    }
    if (!writeTable(ctx, table)) {
        ctx.setLastError(win32ErrorFromErrno(errno));
        return FALSE;
    }
    invalidateLetters(ctx);
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace zv::lnx
