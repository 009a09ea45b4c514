// The backend's shared state: options, the handle table and the letter table's home.
#include "platform/linux/linux_context.h"

#include "platform/linux/block_devices.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/remote_probe.h"

namespace zv::lnx {

LinuxContext::LinuxContext(LinuxOptions options)
    : m_options(std::move(options)),
      m_runtimeFolder(m_options.runtimeDir, "runtime folder"),
      m_configFolder(m_options.configDir, "configuration folder") {
    if (!m_options.seam) m_options.seam = &realSysSeam();
    if (m_options.sysRoot.empty()) m_options.sysRoot.assign(1, '/');
    while (m_options.sysRoot.size() > 1 && m_options.sysRoot.back() == '/') m_options.sysRoot.pop_back();
}

LinuxContext::~LinuxContext() {
    for (auto& [id, entry] : m_handles)
        if (entry.fd >= 0) m_options.seam->close(entry.fd);
}

std::string LinuxContext::sysPath(const std::string& absolute) const {
    if (m_options.sysRoot == "/") return absolute;
    if (absolute.empty() || absolute == "/") return m_options.sysRoot;
    std::string path = m_options.sysRoot;
    if (absolute[0] != '/') path.push_back('/');
    path.append(absolute);
    return path;
}

std::optional<DriveTarget> LinuxContext::target(char letter) {
    const LetterEntry* entry = letterEntry(*this, letter);
    if (!entry) return std::nullopt;
    return entry->target;
}

std::vector<DriveTarget> LinuxContext::targets() {
    std::vector<DriveTarget> result;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (const LetterEntry* entry = letterEntry(*this, letter)) result.push_back(entry->target);
    return result;
}

std::vector<std::string> LinuxContext::wholeDisks() { return physicalDiskNames(m_options.sysRoot); }

HANDLE LinuxContext::addHandle(HandleEntry entry) {
    HANDLE id = m_nextHandle++;
    m_handles.emplace(id, std::move(entry));
    return id;
}

HandleEntry* LinuxContext::handle(HANDLE h) {
    auto it = m_handles.find(h);
    return it == m_handles.end() ? nullptr : &it->second;
}

bool LinuxContext::removeHandle(HANDLE h) { return m_handles.erase(h) > 0; }

LinuxContext::LetterState& LinuxContext::letters() {
    if (!m_letters) m_letters = std::make_unique<LetterState>();
    return *m_letters;
}

LinuxContext::ProbeState& LinuxContext::probes() {
    if (!m_probes) m_probes = std::make_unique<ProbeState>();
    return *m_probes;
}

}  // namespace zv::lnx
