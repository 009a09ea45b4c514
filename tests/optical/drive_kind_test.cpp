// The kind words of CD/DVD rows, and the survey's guard against a survey started while the
// kind query lets messages run.
#include "optical/optical_drive_kind.h"
#include "optical_machine.h"
#include "survey/drive_survey.h"

#include <gtest/gtest.h>

namespace zv::optical {
namespace {

using namespace zv::optical::testing;

std::string kindOf(const std::string& page, const std::string& system = R"("system": {"administrator": true})") {
    auto m = machine(opticalDrive(R"({"mode_page_2a": )" + page + "}"), system);
    NullEventPump pump;
    return QueryOpticalDriveKind(*m, pump, 'D');
}

TEST(DriveKind, MostCapableMediaWord) {
    EXPECT_EQ(kindOf(R"({"read_cd_r": true, "read_dvd_r": true})"), "DVD-RW") << "reads DVD-R / DVD-RW, writes nothing";
    EXPECT_EQ(kindOf(R"({"read_cd_r": true, "write_dvd_r": true})"), "DVD-RW");
    EXPECT_EQ(kindOf(R"({"read_cd_r": true, "read_dvd_rom": true})"), "DVD-R") << "Read DVD-ROM contains DVD-R";
    EXPECT_EQ(kindOf(R"({"write_dvd_ram": true})"), "DVD-R");
    EXPECT_EQ(kindOf(R"({"read_cd_r": true, "read_cd_rw": true})"), "CD-RW") << "a CD-only reader";
    EXPECT_EQ(kindOf(R"({"write_cd_rw": true})"), "CD-RW");
    EXPECT_EQ(kindOf(R"({"read_cd_r": true, "read_method_2": true})"), "CD-R");
    EXPECT_EQ(kindOf(R"({"read_method_2": true, "write_test": true})"), "");
}

TEST(DriveKind, EmptyWithoutRightsOrReadiness) {
    EXPECT_EQ(kindOf(R"({"read_dvd_r": true})", R"("system": {"administrator": false})"), "");
    auto m = machine(opticalDrive(R"({"test_unit_ready": "unresponsive"})") + R"(, {"letter": "C", "type": 3})");
    NullEventPump pump;
    EXPECT_EQ(QueryOpticalDriveKind(*m, pump, 'D'), "");
    EXPECT_EQ(QueryOpticalDriveKind(*m, pump, 'C'), "") << "not a CD-ROM letter";
    EXPECT_EQ(QueryOpticalDriveKind(*m, pump, 'Q'), "") << "no such letter";
    EXPECT_EQ(m->openHandleCount(), 0);
}

TEST(DriveKind, ExampleMachineRows) {
    auto m = exampleMachine();
    NullEventPump pump;
    EXPECT_EQ(QueryOpticalDriveKind(*m, pump, 'D'), "DVD-RW");
    EXPECT_EQ(QueryOpticalDriveKind(*m, pump, 'E'), "CD-RW");
    EXPECT_EQ(QueryOpticalDriveKind(*m, pump, 'F'), "CD-RW");
    EXPECT_EQ(QueryOpticalDriveKind(*m, pump, 'G'), "DVD-RW") << "slow to become ready, within ten attempts";
    EXPECT_EQ(m->unknownRequestCount(), 0);
    EXPECT_EQ(m->openHandleCount(), 0);
}

// A refresh that arrives while the kind query waits for the drive must not start a second
// survey inside the first.
TEST(DriveKind, SurveyIsNotReenteredDuringTheReadinessWait) {
    auto m = machine(opticalDrive(R"({"mode_page_2a": {"read_cd_r": true, "read_cd_rw": true}})") + R"(, {"letter": "C", "type": 3})");
    ScriptedPump pump;
    survey::DriveSurvey survey(*m, pump);
    int nestedRuns = 0;
    bool nestedStarted = true;
    pump.action = [&] {
        ++nestedRuns;
        survey::CollectingSink nestedSink;
        nestedStarted = survey.run({}, nestedSink);
        EXPECT_TRUE(nestedSink.rows.empty());
    };
    survey::CollectingSink sink;
    EXPECT_TRUE(survey.run({}, sink));
    EXPECT_GE(nestedRuns, 1);
    EXPECT_FALSE(nestedStarted);
    const survey::DriveRecord* d = nullptr;
    for (const auto& row : sink.rows)
        if (row.Letter == 'D') d = &row;
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->AdditionalInfo, "CD-RW");
    EXPECT_FALSE(survey.running());
}

}  // namespace
}  // namespace zv::optical
