// The letters file.
#include "platform/linux/letter_memory.h"

#include "platform/linux/own_file.h"

#include <cstring>

namespace zv::lnx {

namespace {

std::string lettersPath(LinuxContext& ctx, bool create) {
    std::string folder = ctx.configFolder(create);
    return folder.empty() ? std::string() : folder + "/letters";
}

void giveLetter(std::map<char, std::string>& letters, char letter, const std::string& key) {
    for (auto it = letters.begin(); it != letters.end();)
        it = it->second == key ? letters.erase(it) : std::next(it);
    letters[letter] = key;
}

ParsedLettersFile parseContents(const std::string& path, const OwnFileContents& contents) {
    if (contents.state == OwnFileContents::State::Refused) {
        reportOnce("the letters file " + path + " is not read (" + contents.problem + ").");
        return {};
    }
    ParsedLettersFile parsed = parseLettersFile(contents.text);
    reportBadLines(path, parsed.badLines);
    return parsed;
}

}  // namespace

std::map<char, std::string> loadRememberedLetters(LinuxContext& ctx) {
    std::string path = lettersPath(ctx, false);
    if (path.empty()) return {};
    return parseContents(path, readOwnFile(path)).letters;
}

bool saveRememberedLetters(LinuxContext& ctx, const std::map<char, std::string>& before,
                           std::map<char, std::string>& after) {
    std::string path = lettersPath(ctx, true);
    if (path.empty()) return false;
    std::map<char, std::string> merged;
    int error = rewriteOwnFile(path, [&](const OwnFileContents& current) {
        ParsedLettersFile parsed = parseContents(path, current);
        merged = std::move(parsed.letters);
        for (const auto& [letter, key] : after) {
            auto was = before.find(letter);
            if (was == before.end() || was->second != key) giveLetter(merged, letter, key);
        }
        return OwnFileRewrite{lettersFileText(merged), !parsed.badLines.empty()};
    });
    if (error) {
        reportOnce("the letters file " + path + " cannot be saved: " + std::strerror(error));
        return false;
    }
    after = std::move(merged);
    return true;
}

}  // namespace zv::lnx
