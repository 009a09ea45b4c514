// zorvane-cli: global options, the subcommand table, exit statuses and the list subcommand.
#include "cli/cli_context.h"
#include "cli_runner.h"
#include "survey/drive_survey.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zv::cli {
namespace {

using CliResult = cli_test::Answer;

CliResult runWith(const std::vector<std::string>& args) { return cli_test::runCliCommand(args); }

std::string writeMachine(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path) << text;
    return path.string();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

const char* const kMachine = R"({
  "schema": 1,
  "drives": [
    {"letter": "A", "type": 2, "medium_present": false},
    {"letter": "C", "volume": {"label": "System", "serial": "0x1A2B3C4D", "file_system": "NTFS"},
     "space": {"total": 536870912000, "free_to_caller": 243041461862}},
    {"letter": "F", "type": 2, "medium_present": false,
     "inquiry": {"vendor": "Generic", "product": "CARD READER", "revision": "1.00"}},
    {"letter": "M", "type": 4, "volume": {"label": "share\ttab"},
     "space": {"total": 1048576, "free_to_caller": 524288}}
  ],
  "network": {"connections": [{"letter": "M", "remote": "\\\\server\\share"}],
              "remembered": [{"letter": "P", "remote": "\\\\old\\archive"}]}
})";

class CliList : public ::testing::Test {
protected:
    void SetUp() override { m_file = writeMachine("cli-list.json", kMachine); }
    std::string m_file;
};

TEST(CliGlobal, HelpListsEverySubcommandWithItsSynopsis) {
    for (const char* option : {"--help", "-h"}) {
        const CliResult result = runWith({option});
        EXPECT_EQ(result.status, 0);
        for (const CliCommand& command : cliCommands())
            EXPECT_NE(result.out.find(commandSynopsis(command)), std::string::npos) << command.name;
        EXPECT_NE(result.out.find("--machine FILE"), std::string::npos);
        EXPECT_NE(result.out.find("--json"), std::string::npos);
        EXPECT_NE(result.out.find("--version"), std::string::npos);
    }
}

TEST(CliGlobal, VersionPrintsTheProgramAndItsVersion) {
    const CliResult result = runWith({"--version"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("zorvane-cli ", 0), 0u);
}

TEST(CliGlobal, SubcommandHelpIsThatCommandsHelp) {
    const CliResult result = runWith({"list", "--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, commandHelp(kListCommand));
    EXPECT_NE(result.out.find("--exclude KINDS"), std::string::npos);
    EXPECT_NE(result.out.find("notmounted"), std::string::npos);
}

TEST(CliGlobal, EveryHelpHasOneFormatWithTheExitStatuses) {
    for (const CliCommand& command : cliCommands()) {
        const CliResult result = runWith({command.name, "--help"});
        EXPECT_EQ(result.status, 0) << command.name;
        EXPECT_EQ(result.out.rfind("Usage: zorvane-cli " + commandSynopsis(command), 0), 0u) << result.out;
        EXPECT_NE(result.out.find("\nOptions:\n"), std::string::npos) << command.name;
        for (const OptionSpec& option : command.options)
            EXPECT_NE(result.out.find(std::string("--") + option.longName), std::string::npos) << option.longName;
        EXPECT_NE(result.out.find(kExitStatusHelp), std::string::npos) << command.name;
    }
    EXPECT_NE(runWith({"--help"}).out.find(kExitStatusHelp), std::string::npos);
    EXPECT_NE(std::string(kExitStatusHelp).find("3  chkdsk"), std::string::npos);
}

TEST(CliGlobal, WrongUseExitsWithStatusTwo) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"--frobnicate"}, {"frobnicate"}, {"--machine"}}) {
        const CliResult result = runWith(args);
        EXPECT_EQ(result.status, 2) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(result.err.empty());
        EXPECT_TRUE(result.out.empty());
    }
    EXPECT_NE(runWith({"frobnicate"}).err.find("frobnicate"), std::string::npos);
}

TEST(CliGlobal, BadMachineFileNamesFilePlaceAndProblem) {
    const std::string broken = writeMachine("broken.json", "{\"schema\": 1,\n  \"drives\": [ {\"letter\": }\n]}");
    const CliResult syntax = runWith({"--machine", broken, "list"});
    EXPECT_EQ(syntax.status, 2);
    EXPECT_NE(syntax.err.find(broken), std::string::npos) << syntax.err;
    EXPECT_NE(syntax.err.find("line 2"), std::string::npos) << syntax.err;
    EXPECT_TRUE(syntax.out.empty());

    const std::string wrong = writeMachine("wrong.json", R"({"schema": 1, "drives": [{"letter": "C", "colour": 1}]})");
    const CliResult value = runWith({"list", "--machine=" + wrong});
    EXPECT_EQ(value.status, 2);
    EXPECT_NE(value.err.find(wrong), std::string::npos) << value.err;
    EXPECT_NE(value.err.find("/drives/0"), std::string::npos) << value.err;

    const CliResult missing = runWith({"--machine", "/nonexistent/machine.json", "list"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("/nonexistent/machine.json"), std::string::npos);
}

// Every refused machine file is wrong use (2), with the file, the place and the problem; a
// device or a folder is refused without being read.
TEST(CliGlobal, MachineFilesOverTheLimitsOrNotRegularExitWithStatusTwo) {
    const std::string overflow =
        writeMachine("overflow.json", R"({"schema": 1, "drives": [{"letter": "C", "space": {"total": 1e400}}]})");
    const std::string deep = writeMachine("deep.json", "{\"schema\": 1, \"drives\": " + std::string(100000, '[') + "}");
    const std::string folder = (std::filesystem::path(::testing::TempDir()) / "zv-machine-folder").string();
    std::filesystem::create_directories(folder);
    const struct {
        std::string file;
        std::string place;
        std::string problem;
    } cases[] = {
        {overflow, "line 1, column 65", "number overflow"},
        {deep, "line 1, column 88", "nested deeper than 64"},
        {folder, "file", "is a folder"},
        {"/dev/zero", "file", "is a character device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const CliResult result = runWith({"--machine", c.file, "list"});
        EXPECT_EQ(result.status, 2);
        EXPECT_TRUE(result.out.empty());
        EXPECT_NE(result.err.find(c.file + ": " + c.place + ": "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.problem), std::string::npos) << result.err;
    }
}

TEST_F(CliList, HeaderThenOneTabSeparatedLinePerRow) {
    const CliResult result = runWith({"--machine", m_file, "list"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 5u);  // header, C, F, M, P
    EXPECT_EQ(lines[0], "Drive\tLabel\tType\tAdditional Info\tSize\tUsed\tAvailable\tBytes Free\tFormat\t"
                        "Volume Serial\t% Free\tVisibility\tVendor\tProduct Id");
    EXPECT_EQ(lines[1], "C: \tSystem\tLocal Disk\t\t500.00 GB\t273.65 GB\t226.35 GB\t243,041,461,862\tNTFS\t"
                        "1A2B - 3C4D\t    45.3%\tVisible\t\t");
    for (const std::string& line : lines) EXPECT_EQ(fieldsOf(line).size(), 14u) << line;
    EXPECT_EQ(fieldsOf(lines[2])[0], "F: ");
    EXPECT_EQ(fieldsOf(lines[2])[1], "Not mounted");
    EXPECT_EQ(fieldsOf(lines[2])[3], "Generic ");
    // A tab inside a label is written as a blank, so the row keeps its fields.
    EXPECT_EQ(fieldsOf(lines[3])[1], "share tab");
    EXPECT_EQ(fieldsOf(lines[3])[3], "\\\\server\\share");
    EXPECT_EQ(fieldsOf(lines[4])[2], "Network");
}

TEST_F(CliList, JsonHoldsTheDisplayTextsAndTheMachineValuesOfEveryRow) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--json", "--machine", m_file, "list"},
                                                 std::vector<std::string>{"list", "--machine", m_file, "--json"}}) {
        const CliResult result = runWith(args);
        ASSERT_EQ(result.status, 0) << result.err;
        const nlohmann::ordered_json parsed = nlohmann::ordered_json::parse(result.out);
        EXPECT_EQ(parsed.begin().key(), "json_format_version");
        EXPECT_EQ(parsed["json_format_version"], nlohmann::json::array({1, 0}));
        const auto& drives = parsed["drives"];
        ASSERT_EQ(drives.size(), 4u);
        const std::vector<std::string> expectedKeys = {
            "drive", "label", "type", "info", "size", "used", "available", "bytes_free", "format", "serial",
            "percent_free", "visibility", "vendor", "product", "letter", "drive_type", "size_bytes", "used_bytes",
            "available_bytes", "percent_free_value", "hidden", "not_mounted", "disconnected", "identity"};
        for (const auto& row : drives) {
            std::vector<std::string> keys;
            for (const auto& item : row.items()) keys.push_back(item.key());
            EXPECT_EQ(keys, expectedKeys);
        }
        const auto& c = drives[0];
        EXPECT_EQ(c["drive"], "C: ");
        EXPECT_EQ(c["percent_free"], "    45.3%");
        EXPECT_EQ(c["bytes_free"], "243,041,461,862");
        EXPECT_EQ(c["letter"], "C");
        EXPECT_EQ(c["drive_type"], 3);
        EXPECT_EQ(c["size_bytes"], 536870912000);
        EXPECT_EQ(c["available_bytes"], 243041461862);
        EXPECT_EQ(c["used_bytes"], 536870912000 - 243041461862);
        EXPECT_NEAR(c["percent_free_value"].get<double>(), 243041461862.0 / 536870912000.0 * 100, 1e-9);
        EXPECT_EQ(c["hidden"], false);
        // F: has no medium: not mounted, nothing measured.
        EXPECT_EQ(drives[1]["not_mounted"], true);
        EXPECT_TRUE(drives[1]["size_bytes"].is_null());
        EXPECT_TRUE(drives[1]["used_bytes"].is_null());
        EXPECT_EQ(drives[1]["identity"].get<std::string>().rfind("Generic CARD READER", 0), 0u);
        EXPECT_EQ(drives[2]["label"], "share\ttab");  // JSON keeps the text exactly
        // P: is a remembered connection that cannot be reached: not measured at all.
        EXPECT_EQ(drives[3]["disconnected"], true);
        EXPECT_TRUE(drives[3]["available_bytes"].is_null());
        EXPECT_TRUE(drives[3]["size_bytes"].is_null());
    }
}

TEST_F(CliList, ExcludeDropsTheNamedKinds) {
    const CliResult result = runWith({"--machine", m_file, "list", "--exclude", "network,notmounted"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(fieldsOf(lines[1])[0], "C: ");
    EXPECT_EQ(fieldsOf(lines[2])[0], "P: ");  // type 1: the Network filter leaves it

    const CliResult twice = runWith({"--machine", m_file, "list", "--exclude=disconnected", "--exclude", "local"});
    ASSERT_EQ(twice.status, 0);
    const auto rest = linesOf(twice.out);
    ASSERT_EQ(rest.size(), 3u);
    EXPECT_EQ(fieldsOf(rest[1])[0], "F: ");
    EXPECT_EQ(fieldsOf(rest[2])[0], "M: ");

    const CliResult all = runWith({"--machine", m_file, "list", "--exclude",
                                   "local,cdrom,removable,network,notmounted,disconnected"});
    EXPECT_EQ(linesOf(all.out).size(), 1u);  // the header alone
}

TEST_F(CliList, IncludeAbSurveysTheFloppyLetters) {
    const CliResult result = runWith({"--machine", m_file, "list", "--include-ab"});
    ASSERT_EQ(result.status, 0);
    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(fieldsOf(lines[1])[0], "A: ");
}

TEST_F(CliList, WrongArgumentsExitWithStatusTwo) {
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{"--exclude", "floppy"}, {"--exclude", "local,"}, {"--exclude", ""},
          {"--exclude"}, {"--frobnicate"}, {"C:"}}) {
        std::vector<std::string> args{"--machine", m_file, "list"};
        args.insert(args.end(), extra.begin(), extra.end());
        const CliResult result = runWith(args);
        EXPECT_EQ(result.status, 2) << extra[0];
        EXPECT_TRUE(result.out.empty());
        EXPECT_FALSE(result.err.empty());
    }
    const CliResult unknown = runWith({"--machine", m_file, "list", "--exclude", "floppy"});
    EXPECT_NE(unknown.err.find("floppy"), std::string::npos);
    EXPECT_NE(unknown.err.find("notmounted"), std::string::npos);
}

TEST_F(CliList, MachineFromTheEnvironment) {
    ::setenv("ZORVANE_MACHINE", m_file.c_str(), 1);
    const CliResult result = runWith({"list"});
    ::setenv("ZORVANE_MACHINE", "", 1);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(linesOf(result.out).size(), 5u);
}

}  // namespace
}  // namespace zv::cli
