// zorvane-cli on a machine whose labels, names, identification bytes and checker output hold
// terminal escape sequences, C1 controls and bytes that are no UTF-8
// (examples/machines/hostile-texts.json): text output carries no raw control character but
// the tabs and line breaks it writes itself, and every JSON answer is valid UTF-8 JSON.
#include "cli/cli_context.h"
#include "cli_runner.h"
#include "common/utf.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace zv::cli {
namespace {

using CliResult = cli_test::Answer;

CliResult runOnHostileMachine(std::vector<std::string> args) {
    args.insert(args.begin(), {"--machine", cli_test::exampleMachine("hostile-texts.json")});
    return cli_test::runCliCommand(args);
}

// The first control character (as a code) other than the output's own tab and line feed; -1
// when there is none. Also -2 when the text is no UTF-8.
long firstStrayControl(const std::string& text) {
    if (!isValidUtf8(text)) return -2;
    for (size_t i = 0; i < text.size();) {
        const char32_t c = decodeUtf8(text, &i);
        if (c == '\t' || c == '\n') continue;
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return long(c);
    }
    return -1;
}

const std::vector<std::vector<std::string>> kTextCommands = {
    {"list"},     {"diskinfo", "C:"}, {"diskinfo", "E:"}, {"smart", "C:"}, {"chkdsk", "C:"},
    {"optical", "D:"}, {"volumes"},   {"usb"},            {"clusters"},    {"media", "D:"},
};

std::string joined(const std::vector<std::string>& args) {
    std::string out;
    for (const std::string& a : args) out += (out.empty() ? "" : " ") + a;
    return out;
}

TEST(CliHostileTexts, TextOutputHoldsNoRawControlCharacters) {
    for (const auto& command : kTextCommands) {
        const CliResult result = runOnHostileMachine(command);
        EXPECT_NE(result.status, 2) << joined(command) << ": " << result.err;
        EXPECT_EQ(firstStrayControl(result.out), -1) << joined(command) << "\n" << result.out;
        EXPECT_EQ(firstStrayControl(result.err), -1) << joined(command) << "\n" << result.err;
    }
}

TEST(CliHostileTexts, ControlCharactersAreShownAsEscapes) {
    const std::string label = "\\x1B]0;PWN\\x07\\x1B[31m";
    EXPECT_NE(runOnHostileMachine({"list"}).out.find("C: \t" + label + "\t"), std::string::npos);
    EXPECT_NE(runOnHostileMachine({"diskinfo", "C:"}).out.find("Local Drive: C: [" + label + "]\n"), std::string::npos);
    EXPECT_NE(runOnHostileMachine({"diskinfo", "E:"}).out.find("[a\\x0Ab\\x09c\\x0D\\x7F\\x85\\x9B2J]"),
              std::string::npos)
        << "line breaks, tab, DEL and C1 controls of a label";
    const CliResult check = runOnHostileMachine({"chkdsk", "C:"});
    EXPECT_NE(check.out.find("Volume Label: " + label + ","), std::string::npos) << check.out;
    EXPECT_NE(check.out.find("files \\x1B[31mred\\x1B[0m \\x85 checked\n"), std::string::npos) << check.out;
    EXPECT_NE(runOnHostileMachine({"volumes"}).out.find("\\\\?\\Volume{\\x1B[2J\\x1B[31m}\\\n"), std::string::npos);
    EXPECT_NE(runOnHostileMachine({"usb"}).out.find(" Model : Stick\\x1B]0;PWN\\x07\\x9B\n"), std::string::npos);
}

TEST(CliHostileTexts, BytesThatAreNoUtf8AreShownAsReplacementCharacters) {
    // Vendor bytes 1B "[31m" 9B FF "A": one U+FFFD for each stray byte.
    const CliResult optical = runOnHostileMachine({"optical", "D:"});
    EXPECT_NE(optical.out.find("Vendor: \\x1B[31m\xEF\xBF\xBD\xEF\xBF\xBD" "A\n"), std::string::npos) << optical.out;
    // Checker bytes ... 07 FF C3 41 9B "31m": C3 is cut short by "A" and does not swallow it.
    const CliResult check = runOnHostileMachine({"chkdsk", "C:"});
    EXPECT_NE(check.out.find("CHK\\x1B]0;PWN\\x07\xEF\xBF\xBD\xEF\xBF\xBD" "A\xEF\xBF\xBD" "31m\n"), std::string::npos)
        << check.out;
}

TEST(CliHostileTexts, JsonAnswersAreValidUtf8AndKeepPrintableTextExactly) {
    for (auto command : kTextCommands) {
        command.push_back("--json");
        const CliResult result = runOnHostileMachine(command);
        EXPECT_TRUE(isValidUtf8(result.out)) << joined(command);
        // The JSON reader refuses text that is no UTF-8.
        EXPECT_TRUE(nlohmann::json::accept(result.out)) << joined(command) << "\n" << result.out;
    }
    const nlohmann::json list = nlohmann::json::parse(runOnHostileMachine({"list", "--json"}).out);
    EXPECT_EQ(list["drives"][0]["label"], "\x1B]0;PWN\x07\x1B[31m") << "JSON escapes controls itself: the text is kept";
}

TEST(CliHostileTexts, CheckerOutputThatIsNoUtf8GivesValidJson) {
    const CliResult result = runOnHostileMachine({"chkdsk", "C:", "--json"});
    ASSERT_TRUE(isValidUtf8(result.out)) << result.out;
    const nlohmann::json answer = nlohmann::json::parse(result.out);
    const auto& log = answer["log"];
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[2], "CHK\x1B]0;PWN\x07\xEF\xBF\xBD\xEF\xBF\xBD" "A\xEF\xBF\xBD" "31m");
    EXPECT_EQ(answer["outcome"], "finished");
}

}  // namespace
}  // namespace zv::cli
