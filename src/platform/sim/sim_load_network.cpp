// The "network" section: connections on network letters, remembered connections on letters
// that are no drive, what connecting to a share answers, and the dialogs' results.
#include "platform/sim/sim_loader.h"

#include "platform/sim/sim_text.h"

namespace zv::sim {

namespace {

std::string readRemote(const JsonReader& entry) {
    const std::string remote = entry.string("remote");
    if (remote.empty()) entry.child("remote").fail("the remote name cannot be empty");
    return remote;
}

void loadConnections(SimCore& core, const JsonReader& list) {
    SimMachine& m = core.machine();
    for (const JsonReader& entry : list.items()) {
        entry.allowOnly({"letter", "remote", "state"});
        const char letter = readLetter(entry, "letter");
        if (m.connections.count(letter)) entry.child("letter").fail(std::string("letter ") + letter + ": has two connections");
        SimDrive* drive = core.drive(letter);
        if (!drive || !core.substituteTarget(letter).empty())
            entry.child("letter").fail(std::string("no drive ") + letter + ": for this connection (list it in \"drives\")");
        SimConnection connection;
        connection.remote = readRemote(entry);
        if (entry.has("state")) {
            const JsonReader state = entry.child("state");
            if (state.json().is_string()) {
                const std::string text = state.json().get<std::string>();
                if (text == "connected") connection.state = SimConnection::State::Connected;
                else if (text == "unavailable") connection.state = SimConnection::State::Unavailable;
                else state.fail("expected \"connected\", \"unavailable\" or {\"error\": code}");
            } else if (readFailureObject(state, &connection.error)) {
                connection.state = SimConnection::State::Failing;
            } else {
                state.fail("expected \"connected\", \"unavailable\" or {\"error\": code}");
            }
        }
        if (drive->dosDevice.empty())
            drive->dosDevice = std::string("\\Device\\LanmanRedirector\\;") + letter + ":0" +
                               (connection.remote.rfind("\\\\", 0) == 0 ? connection.remote.substr(1) : "\\" + connection.remote);
        m.connections[letter] = std::move(connection);
    }
}

void loadRemembered(SimCore& core, const JsonReader& list) {
    SimMachine& m = core.machine();
    for (const JsonReader& entry : list.items()) {
        entry.allowOnly({"letter", "remote"});
        const char letter = readLetter(entry, "letter");
        if (core.letterDefined(letter))
            entry.child("letter").fail(std::string("letter ") + letter + ": is a drive; remembered connections are on letters without a drive");
        if (m.remembered.count(letter)) entry.child("letter").fail(std::string("letter ") + letter + ": is remembered twice");
        m.remembered[letter] = readRemote(entry);
    }
}

}  // namespace

void loadNetwork(SimCore& core, const JsonReader& network) {
    network.allowOnly({"connections", "remembered", "shares", "connection_dialog", "disconnect_dialog", "new_drive"});
    SimMachine& m = core.machine();
    if (network.has("connections")) loadConnections(core, network.child("connections"));
    if (network.has("remembered")) loadRemembered(core, network.child("remembered"));
    if (network.has("shares")) {
        const JsonReader shares = network.child("shares");
        if (!shares.json().is_object()) shares.fail("expected an object of remote names");
        std::map<std::string, DWORD> answers;
        for (const auto& item : shares.json().items()) {
            const JsonReader value = shares.child(item.key().c_str());
            DWORD code = 0;
            if (!(value.json().is_string() && value.json().get<std::string>() == "ok")) code = readErrorCode(shares, item.key().c_str());
            answers[upper(item.key())] = code;
        }
        m.shares = std::move(answers);
    }
    m.connectionDialog = readDword(network, "connection_dialog", 0);
    m.disconnectDialog = readDword(network, "disconnect_dialog", 0);
    m.newNetworkDrive.type = DRIVE_REMOTE;
    m.newNetworkDrive.deviceReadWrite = m.newNetworkDrive.deviceQuery = ERROR_INVALID_FUNCTION;
    m.newNetworkDrive.storage.error = ERROR_INVALID_FUNCTION;
    if (network.has("new_drive")) {
        const JsonReader drive = network.child("new_drive");
        drive.allowOnly({"volume", "space", "read_speed"});
        if (drive.has("volume")) readVolume(drive.child("volume"), DRIVE_REMOTE, &m.newNetworkDrive.volume);
        if (drive.has("space")) readSpace(drive.child("space"), &m.newNetworkDrive.space);
        m.newNetworkDrive.readSpeed = drive.unsignedInteger("read_speed", m.newNetworkDrive.readSpeed);
        if (m.newNetworkDrive.readSpeed == 0) drive.child("read_speed").fail("must be at least 1 byte per second");
    }
}

}  // namespace zv::sim
