// Substitute letters in the letter table.
#include "platform/linux/substitute_roots.h"

#include "platform/linux/substitutes.h"
#include "platform/linux/remote_probe.h"
#include "platform/linux/volume_facts.h"

#include <cctype>
#include <sys/stat.h>

namespace zv::lnx {

namespace {

std::string resolveSubstituteRoot(LinuxContext& ctx, const LetterTable& table, const std::string& folder) {
    if (folder.empty()) return {};
    if (folder[0] == '/') return ctx.sysPath(folder);
    if (folder.size() < 2 || folder[1] != ':') return {};
    char letter = char(std::toupper(static_cast<unsigned char>(folder[0])));
    if (letter < 'A' || letter > 'Z') return {};
    const auto& base = table[size_t(letter - 'A')];
    if (!base || base->hostRoot.empty() || base->target.substitute) return {};
    return pathBelowRoot(base->hostRoot, folder.substr(2));
}

}  // namespace

std::string pathBelowRoot(const std::string& root, const std::string& rest) {
    std::vector<std::string> parts;
    std::string component;
    for (char c : rest + "\\") {
        if (c == '\\' || c == '/') {
            if (component == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!component.empty() && component != ".") {
                parts.push_back(component);
            }
            component.clear();
        } else {
            component.push_back(c);
        }
    }
    std::string path = root;
    for (const auto& part : parts) path += (path.back() == '/' ? "" : "/") + part;
    return path;
}

LetterEntry substituteEntry(LinuxContext& ctx, const LetterTable& table, const std::vector<MountEntry>& mounts,
                            char letter, const std::vector<std::string>& definitions) {
    LetterEntry entry;
    entry.target.letter = letter;
    entry.target.substitute = true;
    entry.target.substPath = substituteFolder(definitions);
    entry.hostRoot = resolveSubstituteRoot(ctx, table, entry.target.substPath);
    // The folder may lie on a network or FUSE mount that does not answer.
    const PathStat st = entry.hostRoot.empty() ? PathStat{}
                                               : statPath(ctx, entry.hostRoot, guardOf(ctx, mounts, entry.hostRoot));
    bool present = st.ok && S_ISDIR(st.st.st_mode);
    if (!present) entry.hostRoot.clear();
    entry.target.driveType = present ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
    return entry;
}

}  // namespace zv::lnx
