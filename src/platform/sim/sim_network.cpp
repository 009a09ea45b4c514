#include "platform/sim/sim_network.h"

#include "platform/sim/sim_system.h"
#include "platform/sim/sim_text.h"

#include <algorithm>
#include <set>

namespace zv::sim {

namespace {

constexpr DWORD ERROR_ALREADY_ASSIGNED = 85;
constexpr DWORD ERROR_OPEN_FILES = 2401;

char localLetter(const char* name) {
    if (!name) return 0;
    const std::string text = name;
    return text.size() == 2 ? parseLetter(text) : 0;
}

}  // namespace

DWORD SimNetwork::WNetGetConnectionA(const char* localName, char* remoteName, DWORD* length) {
    CallRecord call(m_core, "WNetGetConnectionA",
                    {renderText(localName), renderPointer(remoteName), length ? std::to_string(*length) : "(null)"});
    const char letter = localLetter(localName);
    if (auto error = m_core.fault({"WNetGetConnectionA", letter, renderText(localName)})) return call.code(*error);
    if (!letter) return call.code(DWORD(ERROR_BAD_DEVICE));
    if (!length) return call.code(DWORD(ERROR_INVALID_PARAMETER));
    const SimMachine& m = m_core.machine();
    std::string remote;
    DWORD result = NO_ERROR;
    auto connection = m.connections.find(letter);
    auto remembered = m.remembered.find(letter);
    if (connection != m.connections.end() && m_core.letterDefined(letter)) {
        if (connection->second.state == SimConnection::State::Failing) return call.code(connection->second.error);
        remote = connection->second.remote;
        if (connection->second.state == SimConnection::State::Unavailable) result = ERROR_CONNECTION_UNAVAIL;
    } else if (remembered != m.remembered.end()) {
        remote = remembered->second;
        result = ERROR_CONNECTION_UNAVAIL;
    } else {
        return call.code(DWORD(ERROR_NOT_CONNECTED));
    }
    if (!remoteName || *length < remote.size() + 1) {
        *length = DWORD(remote.size() + 1);
        return call.code(DWORD(ERROR_MORE_DATA));
    }
    copyText(remote, remoteName, *length);
    call.note("\"" + remote + "\"");
    return call.code(result);
}

DWORD SimNetwork::WNetConnectionDialog(HWND owner, DWORD type) {
    CallRecord call(m_core, "WNetConnectionDialog", {renderHex(owner), std::to_string(type)});
    if (auto error = m_core.fault({"WNetConnectionDialog"})) return call.code(*error);
    if (type != RESOURCETYPE_DISK) return call.code(DWORD(ERROR_INVALID_PARAMETER));
    return call.code(m_core.machine().connectionDialog);
}

DWORD SimNetwork::WNetDisconnectDialog(HWND owner, DWORD type) {
    CallRecord call(m_core, "WNetDisconnectDialog", {renderHex(owner), std::to_string(type)});
    if (auto error = m_core.fault({"WNetDisconnectDialog"})) return call.code(*error);
    if (type != RESOURCETYPE_DISK) return call.code(DWORD(ERROR_INVALID_PARAMETER));
    return call.code(m_core.machine().disconnectDialog);
}

DWORD SimNetwork::remember(DWORD result) {
    if (result == NO_ERROR) {
        m_lastMessage.clear();
    } else {
        m_lastMessage = systemMessage(result);
        while (!m_lastMessage.empty() && (m_lastMessage.back() == '\n' || m_lastMessage.back() == '\r')) m_lastMessage.pop_back();
        if (m_lastMessage.empty()) m_lastMessage = "Error " + std::to_string(result) + ".";
    }
    return result;
}

DWORD SimNetwork::WNetAddConnection2A(const char* remoteName, const char* localName, const char* userName, DWORD flags) {
    CallRecord call(m_core, "WNetAddConnection2A", {renderText(remoteName), renderText(localName), renderText(userName), renderHex(flags)});
    const char letter = localLetter(localName);
    if (auto error = m_core.fault({"WNetAddConnection2A", letter, renderText(remoteName)})) return call.code(remember(*error));
    if (!remoteName || !*remoteName) return call.code(remember(ERROR_BAD_NET_NAME));
    SimMachine& m = m_core.machine();
    if (m.shares) {
        auto answer = m.shares->find(upper(remoteName));
        if (answer == m.shares->end()) return call.code(remember(ERROR_BAD_NET_NAME));
        if (answer->second) return call.code(remember(answer->second));
    }
    if (!localName || !*localName) {
        call.note("connected without a letter");
        return call.code(remember(NO_ERROR));
    }
    if (!letter) return call.code(remember(ERROR_BAD_DEVICE));
    if (m_core.letterDefined(letter)) return call.code(remember(ERROR_ALREADY_ASSIGNED));
    m.remembered.erase(letter);
    auto drive = std::make_unique<SimDrive>();
    const SimDrive& model = m.newNetworkDrive;
    drive->letter = letter;
    drive->type = DRIVE_REMOTE;
    drive->volume = model.volume;
    drive->space = model.space;
    drive->deviceReadWrite = drive->deviceQuery = ERROR_INVALID_FUNCTION;
    drive->storage.error = ERROR_INVALID_FUNCTION;
    drive->readSpeed = model.readSpeed;
    const std::string remote = remoteName;
    drive->dosDevice = std::string("\\Device\\LanmanRedirector\\;") + letter + ":0" +
                       (remote.rfind("\\\\", 0) == 0 ? remote.substr(1) : "\\" + remote);
    m.definitions[letter - 'A'].push_back(SimDosDefinition{drive.get(), {}});
    m.drives.push_back(std::move(drive));
    m.connections[letter] = SimConnection{remote, SimConnection::State::Connected, 0};
    call.note(std::string("connected ") + letter + ": to " + remote + ((flags & CONNECT_UPDATE_PROFILE) ? ", remembered" : ""));
    return call.code(remember(NO_ERROR));
}

DWORD SimNetwork::cancelLetter(char letter, BOOL force) {
    SimMachine& m = m_core.machine();
    auto connection = m.connections.find(letter);
    if (connection != m.connections.end()) {
        SimDrive* drive = m_core.drive(letter);
        if (!force) {
            for (const auto& [value, handle] : m_core.handles())
                if (drive && handle.drive == drive) return ERROR_OPEN_FILES;
        }
        auto& stack = m.definitions[letter - 'A'];
        stack.erase(std::remove_if(stack.begin(), stack.end(), [&](const SimDosDefinition& d) { return d.drive == drive; }),
                    stack.end());
        m.connections.erase(connection);
        m.remembered.erase(letter);
        m_core.note(std::string("disconnected ") + letter + ":");
        return NO_ERROR;
    }
    if (m.remembered.erase(letter)) {
        m_core.note(std::string("forgot ") + letter + ":");
        return NO_ERROR;
    }
    return ERROR_NOT_CONNECTED;
}

DWORD SimNetwork::WNetCancelConnection2A(const char* name, DWORD flags, BOOL force) {
    CallRecord call(m_core, "WNetCancelConnection2A", {renderText(name), renderHex(flags), force ? "TRUE" : "FALSE"});
    const char letter = localLetter(name);
    if (auto error = m_core.fault({"WNetCancelConnection2A", letter, renderText(name)})) return call.code(remember(*error));
    if (!name) return call.code(remember(ERROR_INVALID_PARAMETER));
    if (letter) return call.code(remember(cancelLetter(letter, force)));
    std::set<char> letters;
    for (const auto& [l, connection] : m_core.machine().connections)
        if (equalsNoCase(connection.remote, name)) letters.insert(l);
    for (const auto& [l, remote] : m_core.machine().remembered)
        if (equalsNoCase(remote, name)) letters.insert(l);
    if (letters.empty()) return call.code(remember(ERROR_NOT_CONNECTED));
    for (char l : letters)
        if (DWORD result = cancelLetter(l, force)) return call.code(remember(result));
    return call.code(remember(NO_ERROR));
}

std::string SimNetwork::LastConnectionMessage() {
    CallRecord call(m_core, "LastConnectionMessage", {});
    return call.result(m_lastMessage, "\"" + m_lastMessage + "\"");
}

}  // namespace zv::sim
