// Simulated machines for the survey tests, and a short way to survey them.
#pragma once

#include "platform/sim/sim_platform.h"
#include "support/sim_fixture.h"
#include "survey/drive_survey.h"

#include <memory>
#include <string>
#include <vector>

namespace zv::survey::testing {

// Tests on simulated machines. After each test the fixture checks that every handle and
// registry key was closed, the error mode is back where it started and no device was sent
// a request it does not understand.
class SurveyMachineTest : public zv::test::SimFixture {
protected:
    // A machine of the given drives (the text of the "drives" array) and further top-level keys.
    sim::SimPlatform& machineWith(const std::string& drives, const std::string& more = {}) {
        return load("{\"schema\": 1, \"drives\": [" + drives + "]" + (more.empty() ? "" : ", " + more) + "}");
    }
};

// The caption and the thirteen column texts of a row, in list order.
inline std::vector<std::string> textsOf(const DriveRecord& record) {
    std::vector<std::string> texts{record.caption};
    for (const std::string& text : record.columns()) texts.push_back(text);
    return texts;
}

// One survey into a collecting sink; CD/DVD rows get `opticalKind` as their detail.
inline std::vector<DriveRecord> surveyRows(platform::Platform& platform, const SurveyOptions& options = {},
                                           const std::string& opticalKind = "DVD-RW") {
    NullEventPump pump;
    DriveSurvey survey(platform, pump);
    survey.setOpticalKindQuery([opticalKind](char) { return opticalKind; });
    CollectingSink sink;
    survey.run(options, sink);
    return sink.rows;
}

inline std::string lettersOf(const std::vector<DriveRecord>& rows) {
    std::string letters;
    for (const DriveRecord& row : rows) letters += row.Letter;
    return letters;
}

inline const DriveRecord* rowOf(const std::vector<DriveRecord>& rows, char letter) {
    for (const DriveRecord& row : rows)
        if (row.Letter == letter) return &row;
    return nullptr;
}

}  // namespace zv::survey::testing
