// The argument parser of every subcommand, and the key and number helpers of the JSON answers.
#include "cli/cli_context.h"
#include "cli/json_output.h"
#include "cli_runner.h"

#include <gtest/gtest.h>

namespace zv::cli {
namespace {

const std::vector<OptionSpec> kSpecs = {
    {"output", 'o', "COLUMNS", "columns"},
    {"noheadings", 'n', nullptr, "no header"},
    {"bytes", 'b', nullptr, "bytes"},
    {"size", 0, "BYTES", "size"},
};

TEST(CliOptions, ValuesGivenInEveryForm) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--output", "a,b"}, {"--output=a,b"}, {"-o", "a,b"}, {"-oa,b"}}) {
        const ParsedArguments parsed = parseArguments(args, kSpecs);
        EXPECT_EQ(parsed.value("output"), "a,b") << args[0];
        EXPECT_TRUE(parsed.operands().empty());
    }
    // An empty value after "=" is a value; a value may start with a dash when it is separate.
    EXPECT_EQ(parseArguments({"--size="}, kSpecs).value("size", "unset"), "");
    EXPECT_EQ(parseArguments({"--size", "-5"}, kSpecs).value("size"), "-5");
}

TEST(CliOptions, FlagsOperandsRepeatsAndTheEndOfOptions) {
    const ParsedArguments parsed = parseArguments({"C:", "-nb", "-o", "x", "--output=y", "--", "-n", "D:"}, kSpecs);
    EXPECT_TRUE(parsed.has("noheadings"));
    EXPECT_TRUE(parsed.has("bytes"));
    EXPECT_FALSE(parsed.has("size"));
    EXPECT_EQ(parsed.values("output"), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(parsed.value("output"), "y");
    EXPECT_EQ(parsed.operands(), (std::vector<std::string>{"C:", "-n", "D:"}));
    EXPECT_EQ(parseArguments({"-"}, kSpecs).operands(), std::vector<std::string>{"-"});

    size_t next = 0;
    const ParsedArguments global = parseArguments({"-n", "list", "-b"}, kSpecs, true, &next);
    EXPECT_EQ(next, 1u);
    EXPECT_TRUE(global.operands().empty());
    EXPECT_FALSE(global.has("bytes"));
}

TEST(CliOptions, WrongUseNamesTheOption) {
    const auto message = [](const std::vector<std::string>& args) -> std::string {
        try {
            parseArguments(args, kSpecs);
        } catch (const UsageError& error) {
            return error.what();
        }
        return "(accepted)";
    };
    EXPECT_NE(message({"--colour"}).find("--colour"), std::string::npos);
    EXPECT_NE(message({"-x"}).find("-x"), std::string::npos);
    EXPECT_NE(message({"-nx"}).find("-x"), std::string::npos);
    EXPECT_NE(message({"--output"}).find("needs a value (COLUMNS)"), std::string::npos);
    EXPECT_NE(message({"-o"}).find("needs a value"), std::string::npos);
    EXPECT_NE(message({"--bytes=1"}).find("takes no value"), std::string::npos);
}

TEST(CliOptions, HelpLinesAndSynopsisFollowTheSpecs) {
    EXPECT_EQ(optionSynopsis(kSpecs), "[-o COLUMNS] [-n] [-b] [--size BYTES]");
    const std::string lines = optionHelpLines({{"output", 'o', "COLUMNS", "first\nsecond"}, {"size", 0, "N", "size"}});
    EXPECT_EQ(lines, "  -o, --output COLUMNS  first\n"
                     "                        second\n"
                     "      --size N          size\n");
}

TEST(CliOptions, BenchTakesItsValuesInBothFormsAndChecksThem) {
    const std::string machine = cli_test::exampleMachine("minimal.json");
    for (const std::vector<std::string>& size : {std::vector<std::string>{"--size=65536"}, {"--size", "65536"}}) {
        std::vector<std::string> args{"--machine", machine, "bench"};
        args.insert(args.end(), size.begin(), size.end());
        EXPECT_EQ(cli_test::runCliCommand(args).status, 0) << size[0];
    }
    for (const char* bad : {"0", "ten", "-1", "68719476737", "99999999999999999999999"}) {
        const cli_test::Answer answer = cli_test::runCliCommand({"--machine", machine, "bench", "--size", bad});
        EXPECT_EQ(answer.status, 2) << bad;
        EXPECT_NE(answer.err.find("--size"), std::string::npos) << answer.err;
    }
}

TEST(CliJsonKeys, SnakeCaseOfTheWindowsCaptions) {
    EXPECT_EQ(snakeCase("Local Drive"), "local_drive");
    EXPECT_EQ(snakeCase("Size in bytes"), "size_in_bytes");
    EXPECT_EQ(snakeCase("% Free"), "percent_free");
    EXPECT_EQ(snakeCase("No. of Partitions"), "no_of_partitions");
    EXPECT_EQ(snakeCase("Physical Dr No."), "physical_dr_no");
    EXPECT_EQ(snakeCase("Fre-Fail"), "fre_fail");
    EXPECT_EQ(snakeCase("SMART Enabled"), "smart_enabled");
    EXPECT_EQ(snakeCase("  Case is preserved  "), "case_is_preserved");
}

TEST(CliJsonKeys, IntegersOfPlainAndGroupedTexts) {
    EXPECT_EQ(integerOfText("512"), 512);
    EXPECT_EQ(integerOfText("-1"), -1);
    EXPECT_EQ(integerOfText("12,884,901,888", ","), 12884901888);
    EXPECT_EQ(integerOfText("12.884.901.888", "."), 12884901888);
    EXPECT_EQ(integerOfText("12\u202F884", "\u202F"), 12884);
    EXPECT_EQ(integerOfText(""), std::nullopt);
    EXPECT_EQ(integerOfText("-"), std::nullopt);
    EXPECT_EQ(integerOfText("12,884", "."), std::nullopt);  // another separator: no number
    EXPECT_EQ(integerOfText("45.3%"), std::nullopt);
    EXPECT_EQ(integerOfText("99999999999999999999"), std::nullopt);
}

}  // namespace
}  // namespace zv::cli
