#include "platform/sim/sim_core.h"

#include "platform/sim/sim_text.h"

namespace zv::sim {

namespace {

// Paths, device names and key names compare without regard to case, separators or
// leading and trailing backslashes.
std::string faultForm(const std::string& text) {
    std::string out = upper(text);
    for (char& c : out)
        if (c == '/') c = '\\';
    while (!out.empty() && out.front() == '\\') out.erase(out.begin());
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

bool faultMatches(const SimFault& fault, const FaultProbe& probe) {
    const std::string operation = probe.operation;
    const bool sameOperation = fault.operation == operation ||
                               (fault.operation == "DeviceIoControl" && operation == "ScsiPassThroughDirect");
    if (!sameOperation) return false;
    if (!fault.target.empty()) {
        const char letter = parseLetter(fault.target);
        if (letter ? probe.letter != letter : faultForm(fault.target) != faultForm(probe.target)) return false;
    }
    if (fault.code && (!probe.code || *probe.code != *fault.code)) return false;
    if (fault.opcode && (!probe.opcode || *probe.opcode != *fault.opcode)) return false;
    return true;
}

}  // namespace

SimCore::SimCore(std::string fileName) : m_fileName(std::move(fileName)) {
    m_features = makeSimFeatures(*this);
}

void SimCore::beginCall(std::string operation, std::vector<std::string> arguments) {
    SimCall call;
    call.operation = std::move(operation);
    call.arguments = std::move(arguments);
    m_calls.push_back(std::move(call));
    m_current = long(m_calls.size()) - 1;
}

void SimCore::callInput(const void* bytes, size_t size) {
    if (m_current < 0 || !bytes) return;
    const auto* p = static_cast<const uint8_t*>(bytes);
    m_calls[size_t(m_current)].input.assign(p, p + size);
}

void SimCore::endCall(std::string result) {
    if (m_current >= 0) m_calls[size_t(m_current)].result = std::move(result);
    m_current = -1;
}

void SimCore::note(const std::string& text) {
    if (m_current >= 0) m_calls[size_t(m_current)].notes.push_back(text);
}

std::optional<DWORD> SimCore::fault(const FaultProbe& probe) {
    for (SimFault& fault : m_machine.faults) {
        if (!faultMatches(fault, probe)) continue;
        if (fault.seen++ < fault.after) continue;
        if (fault.count && fault.applied >= *fault.count) continue;
        ++fault.applied;
        if (fault.delayMs) advanceClock(fault.delayMs * 1000000ull);
        note("fault " + fault.place + (fault.error ? " error " + std::to_string(*fault.error) : std::string()) +
             (fault.delayMs ? " delay " + std::to_string(fault.delayMs) + " ms" : std::string()));
        if (fault.error) return fault.error;
    }
    return std::nullopt;
}

void SimCore::countUnknownRequest(const std::string& what) {
    ++m_unknownRequests;
    note("unknown request: " + what);
}

void SimCore::noteMissingMedium(char letter) {
    if (m_errorMode & SEM_FAILCRITICALERRORS) return;
    ++m_criticalErrorDialogs;
    note(std::string("critical-error dialog: no medium in ") + letter + ":");
}

SimDrive* SimCore::drive(char letter) const {
    for (int depth = 0; depth < 8; ++depth) {
        if (!letterDefined(letter)) return nullptr;
        const SimDosDefinition& top = m_machine.definitions[letter - 'A'].back();
        if (top.drive) return top.drive;
        if (startsWithNoCase(top.target, "\\??\\")) {
            letter = letterOf(top.target.substr(4));
            continue;
        }
        for (const auto& candidate : m_machine.drives)
            if (!candidate->dosDevice.empty() && equalsNoCase(candidate->dosDevice, top.target)) return candidate.get();
        return nullptr;
    }
    return nullptr;
}

std::string SimCore::substituteTarget(char letter) const {
    if (!letterDefined(letter)) return {};
    const SimDosDefinition& top = m_machine.definitions[letter - 'A'].back();
    if (top.drive || !startsWithNoCase(top.target, "\\??\\")) return {};
    return top.target.substr(4);
}

std::string SimCore::definitionText(const SimDosDefinition& definition) {
    return definition.drive ? definition.drive->dosDevice : definition.target;
}

ResolvedPath SimCore::resolvePath(const std::string& path) const {
    ResolvedPath out;
    std::string canonical = canonicalPath(path);
    for (int depth = 0; depth < 8; ++depth) {
        const char letter = letterOf(canonical);
        if (!letter || canonical.size() < 2 || canonical[1] != ':' || (canonical.size() > 2 && canonical[2] != '\\')) {
            out.error = ERROR_INVALID_NAME;
            return out;
        }
        if (canonical.size() == 2) canonical += "\\";
        if (!letterDefined(letter)) {
            out.error = ERROR_PATH_NOT_FOUND;
            return out;
        }
        const std::string target = substituteTarget(letter);
        if (target.empty()) break;
        canonical = canonicalPath(target + "\\" + canonical.substr(3));
    }
    out.drive = drive(letterOf(canonical));
    if (!out.drive) {
        out.error = ERROR_PATH_NOT_FOUND;
        return out;
    }
    // A path on an ordinary volume reached through a raw definition is held under the
    // volume's own letter.
    canonical[0] = out.drive->letter;
    out.canonical = canonical;
    if (!out.drive->mediumPresent) out.error = ERROR_NOT_READY;
    return out;
}

bool SimCore::folderExists(const std::string& canonical) const {
    return canonical.size() == 3 || m_machine.folders.count(canonical) > 0;
}

void SimCore::addFolder(const std::string& canonical) {
    for (std::string folder = canonical; folder.size() > 3; folder = parentPath(folder))
        m_machine.folders.insert(folder);
}

UINT SimCore::driveType(char letter) const {
    const SimDrive* d = drive(letter);
    return d ? d->type : DRIVE_NO_ROOT_DIR;
}

bool SimCore::mediumPresent(char letter) const {
    const SimDrive* d = drive(letter);
    return d && d->mediumPresent;
}

void SimCore::setMediumPresent(char letter, bool present) {
    if (SimDrive* d = drive(letter)) d->mediumPresent = present;
}

HANDLE SimCore::addHandle(SimHandle handle) {
    const HANDLE value = m_nextHandle;
    m_nextHandle += 4;
    m_handles.emplace(value, std::move(handle));
    return value;
}

SimHandle* SimCore::handle(HANDLE value) {
    auto found = m_handles.find(value);
    return found == m_handles.end() ? nullptr : &found->second;
}

bool SimCore::closeHandle(HANDLE value) { return m_handles.erase(value) > 0; }

HMODULE SimCore::addModule(std::string name) {
    const HMODULE value = m_nextModule;
    m_nextModule += 0x10000;
    m_modules.emplace(value, std::move(name));
    return value;
}

const std::string* SimCore::module(HMODULE value) const {
    auto found = m_modules.find(value);
    return found == m_modules.end() ? nullptr : &found->second;
}

bool SimCore::freeModule(HMODULE value) { return m_modules.erase(value) > 0; }

HKEY SimCore::addKey(SimOpenKey key) {
    const HKEY value = m_nextKey;
    m_nextKey += 4;
    m_keys.emplace(value, std::move(key));
    return value;
}

SimOpenKey* SimCore::key(HKEY value) {
    auto found = m_keys.find(value);
    return found == m_keys.end() ? nullptr : &found->second;
}

bool SimCore::closeKey(HKEY value) { return m_keys.erase(value) > 0; }

}  // namespace zv::sim
