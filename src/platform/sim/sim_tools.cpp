// The tools feature of the simulated machine: the check library ("checker") and the
// management service ("management"). Keys are described in docs/machine-file-tools.md.
#include "platform/api/codec.h"
#include "platform/sim/json_reader.h"
#include "platform/sim/sim_feature.h"
#include "platform/sim/sim_tools_parts.h"

#include <memory>
#include <optional>

namespace zv::sim {

namespace {

char letterOf(const JsonReader& where, const std::string& text) {
    if (text.empty() || text.size() > 2 || (text.size() == 2 && text[1] != ':')) where.fail("not a drive letter: " + text);
    char letter = text[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z') where.fail("not a drive letter: " + text);
    return letter;
}

CheckerEvent checkerEvent(const JsonReader& item) {
    item.allowOnly({"progress", "line", "line_bytes", "done", "problems", "command"});
    if (item.json().size() != 1)
        item.fail("a checker event has exactly one of progress, line, line_bytes, done, problems, command");
    CheckerEvent event;
    if (item.has("progress")) {
        event.kind = CheckerEvent::Kind::Progress;
        event.number = item.integer("progress");
        if (event.number < 0 || event.number > 100) item.child("progress").fail("a percentage is 0 to 100");
    } else if (item.has("line")) {
        event.kind = CheckerEvent::Kind::Line;
        event.text = item.string("line");
    } else if (item.has("line_bytes")) {
        // A checker's output is bytes, not necessarily UTF-8; the record ends at a zero.
        event.kind = CheckerEvent::Kind::Line;
        const std::vector<uint8_t> bytes = item.bytes("line_bytes");
        event.text = codec::zeroTerminated(bytes.data(), bytes.size());
    } else if (item.has("done")) {
        event.kind = CheckerEvent::Kind::Done;
        event.number = item.boolean("done", false) ? 1 : 0;
    } else if (item.has("problems")) {
        // The line a checker writes when it found problems, in the words the engine watches for.
        event.kind = CheckerEvent::Kind::Line;
        const JsonReader value = item.child("problems");
        event.text = value.json().is_string() ? value.json().get<std::string>()
                                              : std::string("The check found problems with the file system.");
        if (!value.json().is_string() && !value.json().is_boolean()) value.fail("true or a text");
    } else {
        event.kind = CheckerEvent::Kind::Command;
        event.number = item.integer("command");
        if (event.number < 0 || event.number > 0xFFFFFFFFLL) item.child("command").fail("out of range");
    }
    return event;
}

platform::ManagementValue managementValue(const JsonReader& value) {
    platform::ManagementValue result;
    const nlohmann::json& json = value.json();
    if (json.is_null()) {
        result.kind = platform::ManagementValue::Kind::Null;
    } else if (json.is_string()) {
        result.kind = platform::ManagementValue::Kind::Text;
        result.text = json.get<std::string>();
    } else if (json.is_boolean()) {
        result.kind = platform::ManagementValue::Kind::Integer;
        result.integer = json.get<bool>() ? 1 : 0;
    } else if (json.is_number_integer()) {
        result.kind = platform::ManagementValue::Kind::Integer;
        result.integer = json.get<int64_t>();
    } else if (json.is_array()) {
        result.kind = platform::ManagementValue::Kind::IntegerArray;
        for (const JsonReader& item : value.items()) {
            if (!item.json().is_number_integer()) item.fail("an array property holds integers");
            result.array.push_back(item.json().get<int64_t>());
        }
    } else {
        value.fail("a property is null, a text, an integer or an array of integers");
    }
    return result;
}

class SimToolsFeature final : public SimFeature {
public:
    explicit SimToolsFeature(SimContext& context) : m_context(context) {}

    std::vector<std::string> machineKeys() const override { return {"checker", "management"}; }

    void loadMachine(const JsonReader& root) override {
        if (root.has("checker")) loadChecker(root.child("checker"));
        else m_checker = std::make_unique<ScriptedCheckLibrary>(m_context, std::map<char, std::vector<CheckerEvent>>{});
        if (root.has("management")) loadManagement(root.child("management"));
    }

    platform::ICheckLibrary* checkLibrary() override { return m_checker.get(); }
    platform::IManagement* management() override { return m_management.get(); }

private:
    void loadChecker(const JsonReader& checker) {
        checker.allowOnly({"missing", "scripts"});
        std::map<char, std::vector<CheckerEvent>> scripts;
        if (checker.has("scripts")) {
            const JsonReader all = checker.child("scripts");
            if (!all.json().is_object()) all.fail("an object of scripts by drive letter");
            for (const auto& [key, unused] : all.json().items()) {
                const JsonReader script = all.child(key.c_str());
                const char letter = letterOf(script, key);
                if (scripts.count(letter)) script.fail("a second script for " + std::string(1, letter) + ":");
                std::vector<CheckerEvent>& events = scripts[letter];
                for (const JsonReader& item : script.items()) events.push_back(checkerEvent(item));
            }
        }
        // A missing library: the loader finds no "fmifs.dll".
        if (!checker.boolean("missing", false))
            m_checker = std::make_unique<ScriptedCheckLibrary>(m_context, std::move(scripts));
    }

    void loadManagement(const JsonReader& management) {
        management.allowOnly({"rows", "error", "hresult"});
        if (management.has("error") || management.has("hresult")) {
            if (management.has("rows")) management.fail("rows and error exclude each other");
            const auto hresult = static_cast<HRESULT>(
                static_cast<uint32_t>(management.unsignedInteger("hresult", static_cast<uint32_t>(WBEM_E_FAILED))));
            m_management = std::make_unique<ScriptedManagement>(
                std::vector<platform::ManagementObject>{}, hresult == S_OK ? WBEM_E_FAILED : hresult,
                management.string("error", "The management service is not available"));
            return;
        }
        std::vector<platform::ManagementObject> rows;
        for (const JsonReader& row : management.items("rows")) {
            if (!row.json().is_object()) row.fail("a row is an object of properties");
            platform::ManagementObject object;
            for (const auto& [name, unused] : row.json().items())
                object.properties.emplace_back(name, managementValue(row.child(name.c_str())));
            rows.push_back(std::move(object));
        }
        m_management = std::make_unique<ScriptedManagement>(std::move(rows), S_OK, std::string());
    }

    SimContext& m_context;
    std::unique_ptr<ScriptedCheckLibrary> m_checker;
    std::unique_ptr<ScriptedManagement> m_management;
};

}  // namespace

std::unique_ptr<SimFeature> makeSimToolsFeature(SimContext& context) {
    return std::make_unique<SimToolsFeature>(context);
}

}  // namespace zv::sim
