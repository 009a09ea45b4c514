// The JSON answers of every subcommand on every example machine: one format, one key
// style, errors as objects with the exit status, and machine values that do not change
// with the number format of the locale.
#include "cli/json_output.h"
#include "cli_runner.h"
#include "common/utf.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <regex>

namespace zv::cli {
namespace {

using nlohmann::json;
using cli_test::Answer;
using cli_test::runCliCommand;

// A CD/DVD letter of the machine for the optical subcommands, else D: (which then answers
// with an error object).
std::string opticalLetter(const std::string& machine) {
    const Answer list = runCliCommand({"--machine", machine, "list", "--json", "-o", "letter,drive_type"});
    const json answer = json::parse(list.out);
    for (const json& row : answer["drives"])
        if (row["drive_type"] == 5) return row["letter"].get<std::string>() + ":";
    return "D:";
}

std::vector<std::vector<std::string>> everySubcommand(const std::string& machine) {
    const std::string optical = opticalLetter(machine);
    return {{"list"},          {"diskinfo", "C:"}, {"smart", "C:"},  {"optical", optical}, {"media", optical},
            {"eject", optical}, {"load", optical},  {"lock", optical}, {"unlock", optical},  {"chkdsk", "C:"},
            {"bench", "--size=65536"}, {"volumes"}, {"usb"},      {"clusters"}};
}

std::string joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
}

// Every key of every object, at any depth.
void collectKeys(const json& value, std::vector<std::string>* keys) {
    if (value.is_object()) {
        for (const auto& [key, item] : value.items()) {
            keys->push_back(key);
            collectKeys(item, keys);
        }
    } else if (value.is_array()) {
        for (const json& item : value) collectKeys(item, keys);
    }
}

Answer runJson(const std::string& machine, std::vector<std::string> command) {
    command.insert(command.begin(), {"--machine", machine});
    command.push_back("--json");
    return runCliCommand(command);
}

TEST(CliJsonAnswers, EverySubcommandAnswersOneVersionedObjectWithSnakeCaseKeys) {
    const std::regex snake("[a-z0-9]+(_[a-z0-9]+)*");
    for (const std::string& name : cli_test::exampleMachineNames()) {
        const std::string machine = cli_test::exampleMachine(name);
        for (const auto& command : everySubcommand(machine)) {
            const Answer answer = runJson(machine, command);
            const std::string where = name + ": " + joined(command);
            ASSERT_TRUE(isValidUtf8(answer.out)) << where;
            ASSERT_TRUE(json::accept(answer.out)) << where << "\n" << answer.out;
            const json parsed = json::parse(answer.out);
            ASSERT_TRUE(parsed.is_object()) << where;
            EXPECT_TRUE(answer.err.empty()) << where << ": with --json everything is in the answer\n" << answer.err;
            EXPECT_EQ(nlohmann::ordered_json::parse(answer.out).begin().key(), "json_format_version") << where;
            EXPECT_EQ(parsed["json_format_version"], json::array({1, 0})) << where;
            std::vector<std::string> keys;
            collectKeys(parsed, &keys);
            for (const std::string& key : keys) EXPECT_TRUE(std::regex_match(key, snake)) << where << ": " << key;
            // The exit status and the error object tell the same: 0 and 3 without, 1 and 2 with.
            const bool failed = answer.status == 1 || answer.status == 2;
            EXPECT_EQ(parsed.contains("error"), failed) << where << " status " << answer.status << "\n" << answer.out;
            if (parsed.contains("error")) {
                EXPECT_TRUE(parsed["error"]["code"].is_string()) << where;
                EXPECT_FALSE(parsed["error"]["message"].get<std::string>().empty()) << where;
            }
        }
    }
}

TEST(CliJsonAnswers, TextAndJsonOfASubcommandEndWithTheSameStatus) {
    for (const std::string& name : {std::string("full.json"), std::string("optical.json"), std::string("tools.json")}) {
        const std::string machine = cli_test::exampleMachine(name);
        for (auto command : everySubcommand(machine)) {
            const int jsonStatus = runJson(machine, command).status;
            command.insert(command.begin(), {"--machine", machine});
            const Answer text = runCliCommand(command);
            EXPECT_EQ(text.status, jsonStatus) << name << ": " << joined(command);
            EXPECT_FALSE(json::accept(text.out) && !text.out.empty()) << joined(command) << " printed JSON as text";
        }
    }
}

TEST(CliJsonAnswers, ListDisplayTextsAreTheTextOutputsFields) {
    const std::string machine = cli_test::exampleMachine("full.json");
    const json answer = json::parse(runCliCommand({"--machine", machine, "list", "--json"}).out);
    const Answer text = runCliCommand({"--machine", machine, "list", "-n"});
    std::istringstream lines(text.out);
    const char* const keys[] = {"drive",  "label",  "type",         "info",       "size",   "used",   "available",
                                "bytes_free", "format", "serial", "percent_free", "visibility", "vendor", "product"};
    size_t row = 0;
    for (std::string line; std::getline(lines, line); ++row) {
        ASSERT_LT(row, answer["drives"].size());
        std::istringstream cells(line + "\t");
        size_t column = 0;
        for (std::string cell; std::getline(cells, cell, '\t'); ++column)
            EXPECT_EQ(cell, answer["drives"][row][keys[column]].get<std::string>()) << line;
        EXPECT_EQ(column, 14u);
    }
    EXPECT_EQ(row, answer["drives"].size());
}

// Every number, boolean and null of an answer with its path; texts are left out.
void collectValues(const json& value, const std::string& path, std::map<std::string, json>* values) {
    if (value.is_object()) {
        for (const auto& [key, item] : value.items()) collectValues(item, path + "/" + key, values);
    } else if (value.is_array()) {
        for (size_t i = 0; i < value.size(); ++i) collectValues(value[i], path + "/" + std::to_string(i), values);
    } else if (!value.is_string()) {
        (*values)[path] = value;
    }
}

std::string withLocale(const std::string& name, const std::string& decimal, const std::string& thousands) {
    std::ifstream file(cli_test::exampleMachine(name));
    json machine = json::parse(file, nullptr, true, /*ignore_comments=*/true);
    machine["system"]["locale"] = {{"decimal", decimal}, {"thousands", thousands}};
    return cli_test::writeTempFile("locale-" + decimal + "-" + name, machine.dump());
}

TEST(CliJsonAnswers, MachineValuesDoNotChangeWithTheNumberFormat) {
    for (const std::string& name : cli_test::exampleMachineNames()) {
        const std::string english = withLocale(name, ".", ",");
        const std::string german = withLocale(name, ",", ".");
        for (const auto& command : everySubcommand(english)) {
            std::map<std::string, json> englishValues, germanValues;
            collectValues(json::parse(runJson(english, command).out), "", &englishValues);
            collectValues(json::parse(runJson(german, command).out), "", &germanValues);
            EXPECT_EQ(englishValues, germanValues) << name << ": " << joined(command);
        }
        // The display texts do follow the format: the check above compares the values of
        // answers that differ.
        const json englishList = json::parse(runJson(english, {"list"}).out);
        const json germanList = json::parse(runJson(german, {"list"}).out);
        EXPECT_EQ(englishList["drives"][0]["size"].get<std::string>().find(','), std::string::npos) << name;
        EXPECT_NE(germanList["drives"][0]["size"].get<std::string>().find(','), std::string::npos) << name;
    }
}

// This machine's own drives under LC_ALL=C and LC_ALL=de_DE.UTF-8. Free space may change
// between the two surveys; everything else must be equal.
TEST(CliJsonAnswers, ThisMachinesValuesAreTheSameUnderCAndGermanLocales) {
    locale_t german = ::newlocale(LC_NUMERIC_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
    if (!german) GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (scripts/test.sh makes it as root)";
    ::freelocale(german);
    const char* before = std::getenv("LC_ALL");
    const std::string saved = before ? before : "";
    const char* machineBefore = std::getenv("ZORVANE_MACHINE");
    const std::string savedMachine = machineBefore ? machineBefore : "";
    ::unsetenv("ZORVANE_MACHINE");
    const auto listUnder = [](const char* locale) {
        ::setenv("LC_ALL", locale, 1);
        return json::parse(runCliCommand({"list", "--json"}).out);
    };
    const json c = listUnder("C");
    const json de = listUnder("de_DE.UTF-8");
    if (before) ::setenv("LC_ALL", saved.c_str(), 1); else ::unsetenv("LC_ALL");
    if (machineBefore) ::setenv("ZORVANE_MACHINE", savedMachine.c_str(), 1);

    // Rows are matched by letter: root tests running beside this one may mount or unmount
    // volumes between the two surveys.
    const auto rowOf = [](const json& list, const json& letter) -> const json* {
        for (const json& row : list["drives"])
            if (row["letter"] == letter) return &row;
        return nullptr;
    };
    bool grouped = false, systemCompared = false;
    for (const json& a : c["drives"]) {
        const json* other = rowOf(de, a["letter"]);
        if (!other || (*other)["identity"] != a["identity"] || (*other)["not_mounted"] != a["not_mounted"]) continue;
        const json& b = *other;
        systemCompared = systemCompared || a["letter"] == "C";
        for (const char* key : {"letter", "drive_type", "size_bytes", "hidden", "not_mounted", "disconnected", "identity"})
            EXPECT_EQ(a[key], b[key]) << key;
        for (const char* key : {"used_bytes", "available_bytes", "percent_free_value"})
            EXPECT_EQ(a[key].type(), b[key].type()) << key;
        if (a["available_bytes"].is_number() && a["available_bytes"].get<int64_t>() >= 1000) {
            grouped = true;
            EXPECT_NE(a["bytes_free"].get<std::string>().find(','), std::string::npos);
            EXPECT_NE(b["bytes_free"].get<std::string>().find('.'), std::string::npos);
        }
    }
    EXPECT_TRUE(systemCompared) << "C: is in both lists";
    if (!grouped) GTEST_SKIP() << "no drive of this machine has 1000 bytes free to show the digit groups";
}

TEST(CliJsonAnswers, ErrorsAreObjectsOnStandardOutputWithTheExitStatus) {
    const std::string full = cli_test::exampleMachine("full.json");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* code;
    };
    const std::string broken = cli_test::writeTempFile("broken-machine.json", "{\"schema\": 1, \"drives\": [ {");
    for (const Case& c : {Case{{"--json", "--frobnicate"}, 2, "usage"},
                          Case{{"--json", "frobnicate"}, 2, "usage"},
                          Case{{"--json"}, 2, "usage"},
                          Case{{"--machine", full, "list", "--json", "--exclude", "floppy"}, 2, "usage"},
                          Case{{"--machine", full, "list", "--json", "-o", "colour"}, 2, "usage"},
                          Case{{"--machine", full, "bench", "--json", "--size", "ten"}, 2, "usage"},
                          Case{{"--machine", full, "diskinfo", "--json"}, 2, "usage"},
                          Case{{"--machine", full, "diskinfo", "Q:", "--json"}, 1, "no_such_drive"},
                          Case{{"--machine", full, "smart", "Q:", "--json"}, 1, "no_such_drive"},
                          Case{{"--machine", full, "optical", "C:", "--json"}, 1, "not_optical"},
                          Case{{"--machine", broken, "--json", "volumes"}, 2, "machine_file"}}) {
        const Answer answer = runCliCommand(c.args);
        const std::string where = joined(c.args);
        EXPECT_EQ(answer.status, c.status) << where;
        EXPECT_TRUE(answer.err.empty()) << where << ": " << answer.err;
        ASSERT_TRUE(json::accept(answer.out)) << where << "\n" << answer.out;
        const json parsed = json::parse(answer.out);
        EXPECT_EQ(parsed["json_format_version"], json::array({1, 0})) << where;
        EXPECT_EQ(parsed["error"]["code"], c.code) << where;
        EXPECT_FALSE(parsed["error"]["message"].get<std::string>().empty()) << where;
    }
    // Without --json the same failure is a line on the error stream.
    const Answer text = runCliCommand({"--machine", full, "optical", "C:"});
    EXPECT_EQ(text.status, 1);
    EXPECT_TRUE(text.out.empty());
    EXPECT_NE(text.err.find("C: is not a CD/DVD drive"), std::string::npos) << text.err;
}

}  // namespace
}  // namespace zv::cli
