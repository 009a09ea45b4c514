// zorvane-cli list: the column choice (-o), no header line (-n) and plain byte counts (-b).
#include "cli_runner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zv::cli {
namespace {

using nlohmann::json;
using cli_test::Answer;
using cli_test::runCliCommand;

const char* const kMachine = R"({
  "schema": 1,
  "drives": [
    {"letter": "C", "volume": {"label": "System", "serial": "0x1A2B3C4D", "file_system": "NTFS"},
     "space": {"total": 536870912000, "free_to_caller": 243041461862}},
    {"letter": "F", "type": 2, "medium_present": false}
  ],
  "system": {"locale": {"decimal": ",", "thousands": "."}}
})";

class CliListColumns : public ::testing::Test {
protected:
    void SetUp() override { m_file = cli_test::writeTempFile("cli-columns.json", kMachine); }
    Answer list(std::vector<std::string> extra) {
        extra.insert(extra.begin(), {"--machine", m_file, "list"});
        return runCliCommand(extra);
    }
    std::string m_file;
};

TEST_F(CliListColumns, OutputChoosesColumnsInTheGivenOrder) {
    for (const std::vector<std::string>& option : {std::vector<std::string>{"-o", "letter,label,size_bytes"},
                                                   {"--output", "letter,label,size_bytes"},
                                                   {"--output=letter,label,size_bytes"},
                                                   {"-oletter,label,size_bytes"},
                                                   {"-o", "letter,label", "-o", "size_bytes"}}) {
        const Answer answer = list(option);
        ASSERT_EQ(answer.status, 0) << option[0] << answer.err;
        EXPECT_EQ(answer.out, "letter\tLabel\tsize_bytes\n"
                              "C\tSystem\t536870912000\n"
                              "F\tNot mounted\t\n")
            << option[0];
    }
    // A display column keeps the list's caption as its heading and its text exactly.
    EXPECT_EQ(list({"-o", "percent_free,bytes_free"}).out, "% Free\tBytes Free\n    45,3%\t243.041.461.862\n     0,0%\t0\n");
}

TEST_F(CliListColumns, NoHeadingsAndBytesCombine) {
    const std::string expected = "C: \t536870912000\t293829450138\t243041461862\t243041461862\n"
                                 "F: \t\t\t\t\n";
    for (const std::vector<std::string>& options :
         {std::vector<std::string>{"-n", "-b"}, {"-nb"}, {"--noheadings", "--bytes"}, {"-bn"}}) {
        const Answer answer = list([&] {
            std::vector<std::string> args = options;
            args.insert(args.end(), {"-o", "drive,size,used,available,bytes_free"});
            return args;
        }());
        ASSERT_EQ(answer.status, 0) << answer.err;
        EXPECT_EQ(answer.out, expected) << options[0];
    }
    // Without -o, -n drops just the header of the fourteen columns.
    const Answer all = list({"-n"});
    EXPECT_EQ(all.out.substr(0, 4), "C: \t");
    EXPECT_EQ(std::count(all.out.begin(), all.out.end(), '\n'), 2);
}

TEST_F(CliListColumns, JsonKeepsTheChosenKeysAndBytesGivesCountsAsTexts) {
    const nlohmann::ordered_json chosen = nlohmann::ordered_json::parse(list({"--json", "-o", "drive,size,size_bytes,hidden"}).out);
    ASSERT_EQ(chosen["drives"].size(), 2u);
    std::vector<std::string> keys;
    for (const auto& item : chosen["drives"][0].items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"drive", "size", "size_bytes", "hidden"}));
    EXPECT_EQ(chosen["drives"][0]["size"], "500,00 GB");
    EXPECT_EQ(chosen["drives"][0]["size_bytes"], 536870912000);
    EXPECT_EQ(chosen["drives"][0]["hidden"], false);

    const json bytes = json::parse(list({"--json", "-b", "-o", "size,bytes_free"}).out);
    EXPECT_EQ(bytes["drives"][0]["size"], "536870912000");
    EXPECT_EQ(bytes["drives"][0]["bytes_free"], "243041461862");
    EXPECT_EQ(bytes["drives"][1]["size"], "");  // not measured
}

TEST_F(CliListColumns, UnknownOrEmptyColumnsAreWrongUse) {
    for (const std::vector<std::string>& option :
         {std::vector<std::string>{"-o", "letter,colour"}, {"-o", ""}, {"-o"}, {"--output=letter,"}, {"-x"},
          {"--bytes=yes"}}) {
        const Answer answer = list(option);
        EXPECT_EQ(answer.status, 2) << option[0];
        EXPECT_TRUE(answer.out.empty());
        EXPECT_FALSE(answer.err.empty());
    }
    const Answer unknown = list({"-o", "colour"});
    EXPECT_NE(unknown.err.find("'colour'"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("percent_free_value"), std::string::npos) << "names the columns";
}

}  // namespace
}  // namespace zv::cli
