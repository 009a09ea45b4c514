#include "platform/sim/sim_loader.h"

#include "common/utf.h"
#include "platform/sim/machine_file_limits.h"
#include "platform/sim/sim_text.h"

#include <algorithm>

namespace zv::sim {

namespace {

void loadSystem(SimCore& core, const JsonReader& system) {
    system.allowOnly({"family", "version", "administrator", "token", "locale", "tick_count", "error_mode"});
    SimMachine& m = core.machine();
    if (system.has("family")) {
        const std::string family = system.string("family");
        if (family == "nt") m.platformId = VER_PLATFORM_WIN32_NT;
        else if (family == "windows") m.platformId = VER_PLATFORM_WIN32_WINDOWS;
        else system.child("family").fail("expected \"nt\" or \"windows\", found \"" + family + "\"");
    }
    if (system.has("version")) {
        const JsonReader version = system.child("version");
        version.allowOnly({"major", "minor", "build", "service_pack"});
        m.major = readDword(version, "major", m.major);
        m.minor = readDword(version, "minor", m.minor);
        m.build = readDword(version, "build", m.build);
        m.servicePack = version.string("service_pack", "");
        if (m.servicePack.size() > 127) version.child("service_pack").fail("longer than 127 bytes");
    }
    m.administrator = system.boolean("administrator", m.administrator);
    if (system.has("token")) {
        const JsonReader token = system.child("token");
        token.allowOnly({"thread", "group_count"});
        m.threadToken = token.boolean("thread", false);
        const uint64_t count = token.unsignedInteger("group_count", m.groupCount);
        if (count < 1 || count > 1000) token.child("group_count").fail("expected 1 to 1000 groups");
        m.groupCount = uint32_t(count);
    }
    if (system.has("locale")) {
        const JsonReader locale = system.child("locale");
        locale.allowOnly({"decimal", "thousands"});
        m.decimal = locale.string("decimal", m.decimal);
        m.thousands = locale.string("thousands", m.thousands);
        if (m.decimal.empty()) locale.child("decimal").fail("the decimal separator cannot be empty");
        if (!isValidUtf8(m.decimal)) locale.child("decimal").fail("not UTF-8");
        if (!isValidUtf8(m.thousands)) locale.child("thousands").fail("not UTF-8");
    }
    m.startMs = system.unsignedInteger("tick_count", m.startMs);
    m.errorMode = readDword(system, "error_mode", 0);
}

void loadSubstitutes(SimCore& core, const JsonReader& list) {
    SimMachine& m = core.machine();
    for (const JsonReader& entry : list.items()) {
        entry.allowOnly({"letter", "target"});
        const char letter = readLetter(entry, "letter");
        if (core.letterDefined(letter)) entry.child("letter").fail(std::string("letter ") + letter + ": is already in use");
        const std::string target = entry.string("target");
        const char targetLetter = letterOf(target);
        if (!targetLetter || target.size() < 3 || target[1] != ':' || (target[2] != '\\' && target[2] != '/'))
            entry.child("target").fail("expected a folder such as \"C:\\\\Temp\"");
        if (!core.drive(targetLetter))
            entry.child("target").fail(std::string("no drive ") + targetLetter + ": for this target");
        if (targetLetter == letter) entry.child("target").fail("a substitute cannot point at its own letter");
        m.definitions[letter - 'A'].push_back(SimDosDefinition{nullptr, "\\??\\" + target});
        const ResolvedPath resolved = core.resolvePath(target);
        if (resolved.drive) core.addFolder(resolved.canonical);
    }
}

void loadLibraries(SimCore& core, const JsonReader& libraries) {
    if (!libraries.json().is_object()) libraries.fail("expected an object of library names");
    std::map<std::string, std::set<std::string>> out;
    for (const auto& item : libraries.json().items()) {
        const JsonReader entries = libraries.child(item.key().c_str());
        std::set<std::string> names;
        for (const JsonReader& name : entries.items()) {
            if (!name.json().is_string()) name.fail("expected an entry point name");
            names.insert(upper(name.json().get<std::string>()));
        }
        out[upper(item.key())] = std::move(names);
    }
    core.machine().libraries = std::move(out);
}

void loadShell(SimCore& core, const JsonReader& shell) {
    shell.allowOnly({"browse_folder", "automation", "unregistered"});
    SimMachine& m = core.machine();
    if (shell.has("browse_folder")) {
        const JsonReader answers = shell.child("browse_folder");
        auto one = [](const JsonReader& value) -> std::optional<std::string> {
            if (value.json().is_null()) return std::nullopt;
            if (!value.json().is_string()) value.fail("expected a folder or null (cancel)");
            return value.json().get<std::string>();
        };
        if (answers.json().is_array()) {
            for (const JsonReader& answer : answers.items()) m.browseAnswers.push_back(one(answer));
        } else {
            m.browseAnswers.push_back(one(answers));
        }
    }
    if (shell.has("automation")) {
        for (const JsonReader& entry : shell.items("automation")) {
            entry.allowOnly({"prog_id", "method", "hresult", "message"});
            SimAutomationFailure failure;
            failure.progId = entry.string("prog_id");
            failure.method = entry.string("method", "");
            failure.hresult = HRESULT(uint32_t(entry.unsignedInteger("hresult", uint32_t(E_FAIL))));
            failure.message = entry.string("message", "");
            m.automationFailures.push_back(std::move(failure));
        }
    }
    if (shell.has("unregistered")) {
        for (const JsonReader& entry : shell.items("unregistered")) {
            if (!entry.json().is_string()) entry.fail("expected a prog id");
            m.unregisteredObjects.push_back(entry.json().get<std::string>());
        }
    }
}

void loadVolumes(SimCore& core, const JsonReader& list) {
    for (const JsonReader& entry : list.items()) {
        entry.allowOnly({"guid", "volume", "space"});
        SimLetterlessVolume volume;
        volume.guid = entry.string("guid");
        if (!startsWithNoCase(volume.guid, "\\\\?\\Volume{") || volume.guid.size() < 14 ||
            volume.guid.substr(volume.guid.size() - 2) != "}\\")
            entry.child("guid").fail("expected a volume name such as \"\\\\\\\\?\\\\Volume{...}\\\\\"");
        if (entry.has("volume")) readVolume(entry.child("volume"), DRIVE_FIXED, &volume.volume);
        if (entry.has("space")) readSpace(entry.child("space"), &volume.space);
        core.machine().volumes.push_back(std::move(volume));
    }
}

std::vector<std::string> withFeatureKeys(std::vector<std::string> keys, const std::vector<std::string>& more) {
    keys.insert(keys.end(), more.begin(), more.end());
    return keys;
}

}  // namespace

DWORD readErrorCode(const JsonReader& parent, const char* key) {
    const uint64_t value = parent.unsignedInteger(key);
    if (value > 0xFFFFFFFFull) parent.child(key).fail("error code out of range");
    return DWORD(value);
}

bool readFailureObject(const JsonReader& value, DWORD* error) {
    if (!value.json().is_object() || !value.has("error")) return false;
    value.allowOnly({"error"});
    *error = readErrorCode(value, "error");
    if (*error == 0) value.child("error").fail("a failure needs a nonzero error code");
    return true;
}

char readLetter(const JsonReader& parent, const char* key) {
    const std::string text = parent.string(key);
    const char letter = parseLetter(text);
    if (!letter) parent.child(key).fail("expected a drive letter A-Z, found \"" + text + "\"");
    return letter;
}

DWORD readDword(const JsonReader& parent, const char* key, DWORD fallback) {
    if (!parent.has(key)) return fallback;
    const uint64_t value = parent.unsignedInteger(key);
    if (value > 0xFFFFFFFFull) parent.child(key).fail("larger than 32 bits");
    return DWORD(value);
}

void loadMachineText(SimCore& core, const std::string& text) {
    checkMachineText(core.fileName(), text);
    nlohmann::json root;
    try {
        root = nlohmann::json::parse(text, nullptr, true, /*ignore_comments=*/true);
    } catch (const nlohmann::json::exception& e) {
        throw MachineFileError(core.fileName(), "file", e.what());
    }
    const JsonReader reader(root, "", core.fileName());
    std::vector<std::string> machineKeys;
    for (const auto& feature : core.features()) {
        const auto more = feature->machineKeys();
        machineKeys.insert(machineKeys.end(), more.begin(), more.end());
    }
    reader.allowOnly(withFeatureKeys({"schema", "system", "drives", "substitutes", "network", "registry", "libraries",
                                      "shell", "files", "folders", "short_names", "volumes", "faults"},
                                     machineKeys));
    if (reader.integer("schema") != 1)
        reader.child("schema").fail("unsupported schema " + std::to_string(reader.integer("schema")) + " (expected 1)");
    if (reader.has("system")) loadSystem(core, reader.child("system"));
    loadDrives(core, reader);
    if (reader.has("substitutes")) loadSubstitutes(core, reader.child("substitutes"));
    if (reader.has("network")) loadNetwork(core, reader.child("network"));
    if (reader.has("volumes")) loadVolumes(core, reader.child("volumes"));
    loadFiles(core, reader);
    if (reader.has("registry")) loadRegistry(core, reader.child("registry"));
    if (reader.has("libraries")) loadLibraries(core, reader.child("libraries"));
    if (reader.has("shell")) loadShell(core, reader.child("shell"));
    if (reader.has("faults")) loadFaults(core, reader.child("faults"));

    if (reader.has("drives")) {
        for (const JsonReader& entry : reader.items("drives")) {
            const char letter = readLetter(entry, "letter");
            for (const auto& feature : core.features()) feature->loadDrive(letter, entry);
        }
    }
    for (const auto& feature : core.features()) feature->loadMachine(reader);
    core.startClock();
}

}  // namespace zv::sim
