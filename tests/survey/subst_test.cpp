// The substitute-drive unit on both platform families.
#include "survey/subst.h"
#include "survey_machine.h"

#include <gtest/gtest.h>

namespace zv::survey {
namespace {

using namespace zv::survey::testing;

class SubstNt : public SurveyMachineTest {};
class SubstOlder : public SurveyMachineTest {};

int callCount(const sim::SimPlatform& m, const std::string& operation) {
    int count = 0;
    for (const sim::SimCall& call : m.calls()) count += call.operation == operation;
    return count;
}

const sim::SimCall* lastCall(const sim::SimPlatform& m, const std::string& operation) {
    const sim::SimCall* found = nullptr;
    for (const sim::SimCall& call : m.calls())
        if (call.operation == operation) found = &call;
    return found;
}

const char* const kDrives = R"({"letter": "C"}, {"letter": "D", "type": 5}, {"letter": "M", "type": 4})";
const char* const kSubstitutes =
    R"("folders": ["C:\\Temp", "C:\\Program Files\\Data"],
       "substitutes": [{"letter": "S", "target": "C:\\Temp"}],
       "network": {"connections": [{"letter": "M", "remote": "\\\\server\\share"}]})";

TEST(SubstPath, AppendsABackslashWhereMissing) {
    EXPECT_EQ(withTrailingBackslash(""), "\\");
    EXPECT_EQ(withTrailingBackslash("C:\\Temp"), "C:\\Temp\\");
    EXPECT_EQ(withTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(withTrailingBackslash("C:\\Temp\\\\"), "C:\\Temp\\\\");
}

TEST_F(SubstNt, QueryGivesTheFolderWithoutThePrefix) {
    auto& m = machineWith(kDrives, kSubstitutes);
    EXPECT_EQ(QuerySubstDrive(m, 'S'), "C:\\Temp");
    EXPECT_EQ(QuerySubstDrive(m, 'C'), "");  // an ordinary volume
    EXPECT_EQ(QuerySubstDrive(m, 'D'), "");
    EXPECT_EQ(QuerySubstDrive(m, 'M'), "");  // a network drive
    EXPECT_EQ(QuerySubstDrive(m, 'Q'), "");  // no drive at all
    const sim::SimCall* query = lastCall(m, "QueryDosDeviceA");
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->arguments.at(0), "Q:");
}

TEST_F(SubstNt, FailedQueryGivesEmptyText) {
    auto& m = machineWith(kDrives, std::string(kSubstitutes) + R"(, "faults": [{"operation": "QueryDosDeviceA", "error": 2}])");
    EXPECT_EQ(QuerySubstDrive(m, 'S'), "");
}

TEST_F(SubstNt, CreatePassesThePathAsEnteredAndRemoveTakesItAway) {
    auto& m = machineWith(kDrives, kSubstitutes);
    ASSERT_TRUE(CreateSubstDrive(m, 'T', "C:\\Program Files\\Data\\"));
    const sim::SimCall* define = lastCall(m, "DefineDosDeviceA");
    ASSERT_NE(define, nullptr);
    ASSERT_GE(define->arguments.size(), 3u);
    EXPECT_EQ(std::stoul(define->arguments[0], nullptr, 0), 0ul);
    EXPECT_EQ(define->arguments[1], "T:");
    EXPECT_EQ(define->arguments[2], "C:\\Program Files\\Data\\");
    EXPECT_EQ(QuerySubstDrive(m, 'T'), "C:\\Program Files\\Data\\");
    EXPECT_NE(m.drives().GetLogicalDrives() & (1u << ('T' - 'A')), 0u);

    ASSERT_TRUE(RemoveSubstDrive(m, 'T'));
    define = lastCall(m, "DefineDosDeviceA");
    EXPECT_EQ(std::stoul(define->arguments[0], nullptr, 0), 2ul);
    EXPECT_EQ(define->arguments[1], "T:");
    EXPECT_EQ(define->arguments[2], "C:\\Program Files\\Data\\");
    EXPECT_EQ(QuerySubstDrive(m, 'T'), "");
    EXPECT_EQ(m.drives().GetLogicalDrives() & (1u << ('T' - 'A')), 0u);
}

TEST_F(SubstNt, RemovingALetterThatIsNoSubstituteLeavesItsVolumeAlone) {
    auto& m = machineWith(kDrives, kSubstitutes);
    EXPECT_FALSE(RemoveSubstDrive(m, 'C'));
    EXPECT_FALSE(RemoveSubstDrive(m, 'Q'));
    EXPECT_EQ(callCount(m, "DefineDosDeviceA"), 0);
    EXPECT_NE(m.drives().GetLogicalDrives() & 0x4u, 0u);
}

TEST_F(SubstNt, NoLetterNoDefinition) {
    auto& m = machineWith(kDrives, kSubstitutes);
    EXPECT_FALSE(CreateSubstDrive(m, 0, "C:\\Temp"));
    EXPECT_FALSE(CreateSubstDrive(m, '1', "C:\\Temp"));
    EXPECT_EQ(callCount(m, "DefineDosDeviceA"), 0);
}

const char* const kOlderFamily =
    R"("system": {"family": "windows"},
       "folders": ["C:\\Temp", "C:\\Program Files\\Data"],
       "short_names": {"C:\\Program Files\\Data": "C:\\PROGRA~1\\DATA"},
       "substitutes": [{"letter": "S", "target": "C:\\Program Files\\Data"}])";

TEST_F(SubstOlder, QueryGivesTheLongFormOfTheFolder) {
    auto& m = machineWith(kDrives, kOlderFamily);
    EXPECT_EQ(QuerySubstDrive(m, 'S'), "C:\\Program Files\\Data");
    EXPECT_EQ(QuerySubstDrive(m, 's'), "C:\\Program Files\\Data");
    EXPECT_EQ(QuerySubstDrive(m, 'C'), "");
    EXPECT_EQ(callCount(m, "QueryDosDeviceA"), 0);
    EXPECT_GE(callCount(m, "VxDCall"), 1);
}

TEST_F(SubstOlder, CreateHandsTheShortPathToTheServiceAndChecksTheResult) {
    auto& m = machineWith(kDrives, kOlderFamily);
    ASSERT_TRUE(CreateSubstDrive(m, 'T', "c:\\program files\\data\\"));
    const sim::SimCall* shortName = lastCall(m, "GetShortPathNameA");
    ASSERT_NE(shortName, nullptr);
    EXPECT_EQ(shortName->arguments.at(0), "c:\\program files\\data");  // without its final backslash
    EXPECT_EQ(QuerySubstDrive(m, 'T'), "C:\\Program Files\\Data");
    EXPECT_EQ(callCount(m, "DefineDosDeviceA"), 0);

    ASSERT_TRUE(RemoveSubstDrive(m, 'T'));
    EXPECT_EQ(QuerySubstDrive(m, 'T'), "");
}

TEST_F(SubstOlder, CreateForAMissingFolderFails) {
    auto& m = machineWith(kDrives, kOlderFamily);
    EXPECT_FALSE(CreateSubstDrive(m, 'T', "C:\\Nowhere"));
    EXPECT_EQ(QuerySubstDrive(m, 'T'), "");
    EXPECT_FALSE(RemoveSubstDrive(m, 'C'));
}

}  // namespace
}  // namespace zv::survey
