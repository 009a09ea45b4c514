// The session's substitute letters.
#include "platform/linux/substitutes.h"

#include "platform/linux/drive_letters.h"
#include "platform/linux/mount_watch.h"
#include "platform/linux/own_file.h"
#include "platform/linux/startup_file.h"
#include "platform/linux/sysfs.h"

#include <cctype>
#include <cerrno>
#include <cstring>

namespace zv::lnx {

namespace {

const std::string kFolderPrefix = "\\??\\";

std::string tablePath(LinuxContext& ctx, bool create) {
    std::string folder = ctx.runtimeFolder(create);
    return folder.empty() ? std::string() : folder + "/substitutes";
}

// The letters the start-up file makes, for a session's first table.
SubstDefinitions tableFromStartupFile(LinuxContext& ctx) {
    SubstDefinitions table;
    for (const auto& [letter, path] : startupSubstitutes(ctx)) {
        if (letter == 'C') continue;
        auto& definitions = table[letter];
        definitions.insert(definitions.begin(), kFolderPrefix + path);
    }
    return table;
}

// The table a rewrite starts from: the file as it is now, or the start-up file's letters
// when the session has no table yet. Bad lines are reported.
SubstDefinitions currentTable(LinuxContext& ctx, const std::string& path, const OwnFileContents& contents,
                              bool* hadBadLines) {
    *hadBadLines = false;
    if (contents.state == OwnFileContents::State::Absent) return tableFromStartupFile(ctx);
    if (contents.state == OwnFileContents::State::Refused) {
        reportOnce("the substitute table " + path + " is not read (" + contents.problem + ").");
        return {};
    }
    ParsedSubstituteTable parsed = parseSubstituteTable(contents.text);
    reportBadLines(path, parsed.badLines);
    *hadBadLines = !parsed.badLines.empty();
    return std::move(parsed.definitions);
}

bool sameTarget(const std::string& definition, const std::string& target, bool exact) {
    auto equal = [exact](const std::string& a, const std::string& b) {
        return exact ? a == b : lowerCase(a) == lowerCase(b);
    };
    return equal(definition, target) || equal(definition, kFolderPrefix + target);
}

// Why a change of the table is refused, as a Win32 error code.
struct Refusal {
    DWORD error;
};

void applyDefinition(SubstDefinitions& table, DWORD flags, char letter, const std::string& target) {
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
            if (definitions.empty()) table.erase(letter);
            throw Refusal{ERROR_FILE_NOT_FOUND};
        }
        definitions.erase(match);
        if (definitions.empty()) table.erase(letter);
    } else {
        definitions.insert(definitions.begin(), (flags & DDD_RAW_TARGET_PATH) ? target : kFolderPrefix + target);
    }
}

}  // namespace

SubstDefinitions loadSubstitutes(LinuxContext& ctx) {
    std::string path = tablePath(ctx, true);
    if (path.empty()) return {};
    OwnFileContents contents = readOwnFile(path);
    bool hadBadLines = false;
    if (contents.state != OwnFileContents::State::Absent) return currentTable(ctx, path, contents, &hadBadLines);
    // The session's first use: bring back the letters the start-up file makes. Another
    // process may do the same at once; the lock makes one of them write the table.
    SubstDefinitions table;
    int error = rewriteOwnFile(path, [&](const OwnFileContents& current) {
        table = currentTable(ctx, path, current, &hadBadLines);
        return OwnFileRewrite{substituteTableText(table), hadBadLines};
    });
    if (error) reportOnce("the substitute table " + path + " cannot be written: " + std::strerror(error));
    return table;
}

std::string substitutesStamp(LinuxContext& ctx) {
    std::string path = tablePath(ctx, false);
    return path.empty() ? std::string("-") : fileChangeStamp(path);
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
    std::string path = ctx.options().runtimeDir.empty() ? std::string() : tablePath(ctx, true);
    if (path.empty()) {
        ctx.setLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    std::string target = targetPath ? targetPath : "";
    if (!(flags & DDD_REMOVE_DEFINITION)) {
        if (target.empty()) {
            ctx.setLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        const LetterEntry* current = letterEntry(ctx, letter);
        if (letter == 'C' || (current && !current->target.substitute)) {
            ctx.setLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
    }
    int error = 0;
    try {
        error = rewriteOwnFile(path, [&](const OwnFileContents& contents) {
            bool hadBadLines = false;
            SubstDefinitions table = currentTable(ctx, path, contents, &hadBadLines);
            applyDefinition(table, flags, letter, target);
            return OwnFileRewrite{substituteTableText(table), hadBadLines};
        });
    } catch (const Refusal& refusal) {
        ctx.setLastError(refusal.error);
        return FALSE;
    }
    if (error) {
        ctx.setLastError(win32ErrorFromErrno(error));
        return FALSE;
    }
    invalidateLetters(ctx);
    ctx.setLastError(ERROR_SUCCESS);
    return TRUE;
}

}  // namespace zv::lnx
