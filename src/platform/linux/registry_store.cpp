// The text file behind HKEY_CURRENT_USER.
#include "platform/linux/registry_store.h"

#include "platform/linux/mount_watch.h"

#include <cerrno>

namespace zv::lnx {

RegistryStore::RegistryStore(std::function<std::string(bool create)> pathOf) : m_pathOf(std::move(pathOf)) {}

RegistryStore::RegistryStore(const std::string& path) : m_pathOf([path](bool) { return path; }) {}

RegistryTree RegistryStore::readTree(const std::string& path, const OwnFileContents& contents, bool* setAside) {
    *setAside = false;
    if (contents.state == OwnFileContents::State::Absent) return {};
    if (contents.state == OwnFileContents::State::Refused) {
        reportOnce("the registry store " + path + " is not read (" + contents.problem + "); it is treated as empty.");
        return {};
    }
    ParsedRegistryStore parsed = parseRegistryStore(contents.text);
    reportBadLines(path, parsed.badLines);
    *setAside = !parsed.badLines.empty();
    return std::move(parsed.tree);
}

const RegistryTree& RegistryStore::tree() {
    std::string path = m_pathOf(false);
    std::string stamp = path.empty() ? std::string("-") : fileChangeStamp(path);
    if (stamp == m_stamp) return m_tree;
    m_stamp = stamp;
    bool setAside = false;
    m_tree = path.empty() ? RegistryTree() : readTree(path, readOwnFile(path), &setAside);
    return m_tree;
}

int RegistryStore::update(const std::function<void(RegistryTree&)>& change) {
    std::string path = m_pathOf(true);
    if (path.empty()) return EACCES;
    RegistryTree next;
    int error = rewriteOwnFile(path, [&](const OwnFileContents& current) {
        bool setAside = false;
        next = readTree(path, current, &setAside);
        change(next);
        return OwnFileRewrite{registryText(next), setAside};
    });
    if (error) return error;
    m_tree = std::move(next);
    m_stamp = fileChangeStamp(path);
    return 0;
}

}  // namespace zv::lnx
