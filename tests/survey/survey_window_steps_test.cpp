// The window steps around the walk: status, batch update, selection and scroll, the closing
// steps on every path, and the guard against a survey inside a running survey.
#include "survey_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace zv::survey {
namespace {

using namespace zv::survey::testing;

class WindowSteps : public SurveyMachineTest {};

// A list that records the steps it is asked for.
class RecordingSink : public CollectingSink {
public:
    int selected = -1;
    int scroll = 0;
    int throwOnRow = -1;  // addRow throws when this many rows were added before
    std::vector<std::string> steps;

    void showStatus() override { steps.push_back("show"); }
    void hideStatus() override { steps.push_back("hide"); }
    int selectedIndex() const override { return selected; }
    int horizontalScroll() const override { return scroll; }
    void beginUpdate() override { steps.push_back("begin"); }
    void endUpdate() override { steps.push_back("end"); }
    void clearRows() override {
        steps.push_back("clear");
        CollectingSink::clearRows();
    }
    void addRow(const DriveRecord& record) override {
        if (throwOnRow >= 0 && rowCount() == throwOnRow) {
            rows.push_back(record);
            throw std::runtime_error("list refused the row");
        }
        steps.push_back(std::string("add ") + record.Letter);
        CollectingSink::addRow(record);
    }
    void removeLastRow() override {
        steps.push_back("drop");
        CollectingSink::removeLastRow();
    }
    void selectRow(int index) override {
        steps.push_back("select " + std::to_string(index));
        selected = index;
    }
    void setHorizontalScroll(int position) override {
        steps.push_back("scroll " + std::to_string(position));
        scroll = position;
    }
};

class ScriptedPump : public IEventPump {
public:
    std::function<void()> onPump;
    int count = 0;
    void processPendingMessages() override {
        ++count;
        if (onPump) onPump();
    }
};

const char* const kThreeDrives = R"(
    {"letter": "C", "space": {"total": 1048576, "free_to_caller": 0}},
    {"letter": "D", "type": 5, "space": {"total": 1048576, "free_to_caller": 0}},
    {"letter": "E", "type": 2, "medium_present": false})";

TEST_F(WindowSteps, RunInOrderAndSelectTheFirstRowWhenNoneWasSelected) {
    auto& m = machineWith(kThreeDrives);
    ScriptedPump pump;
    DriveSurvey survey(m, pump);
    survey.setOpticalKindQuery([](char) { return std::string("CD-R"); });
    RecordingSink sink;
    sink.scroll = 37;
    SurveyOptions options;
    options.notMounted = false;
    ASSERT_TRUE(survey.run(options, sink));
    EXPECT_EQ(sink.steps, (std::vector<std::string>{"show", "begin", "clear", "add C", "add D", "add E", "drop", "end",
                                                    "select 0", "scroll 37", "hide"}));
    EXPECT_EQ(pump.count, 1);
    EXPECT_EQ(m.currentErrorMode(), 0u);
    EXPECT_FALSE(survey.running());
}

TEST_F(WindowSteps, KeepTheSelectedIndexWhenTheRowStillExists) {
    auto& m = machineWith(kThreeDrives);
    NullEventPump pump;
    DriveSurvey survey(m, pump);
    survey.setOpticalKindQuery([](char) { return std::string(); });
    RecordingSink sink;
    sink.selected = 2;
    survey.run({}, sink);
    EXPECT_EQ(sink.selected, 2);
}

TEST_F(WindowSteps, SelectionBeyondTheNewListSelectsNothing) {
    auto& m = machineWith(kThreeDrives);
    NullEventPump pump;
    DriveSurvey survey(m, pump);
    survey.setOpticalKindQuery([](char) { return std::string(); });
    RecordingSink sink;
    sink.selected = 2;
    SurveyOptions options;
    options.notMounted = false;  // E goes: two rows remain
    survey.run(options, sink);
    EXPECT_EQ(sink.rowCount(), 2);
    for (const std::string& step : sink.steps) EXPECT_NE(step.rfind("select", 0), 0u) << step;
}

TEST_F(WindowSteps, EmptyListSelectsNothing) {
    auto& m = machineWith("");
    NullEventPump pump;
    DriveSurvey survey(m, pump);
    RecordingSink sink;
    survey.run({}, sink);
    EXPECT_EQ(sink.rowCount(), 0);
    EXPECT_EQ(sink.steps, (std::vector<std::string>{"show", "begin", "clear", "end", "scroll 0", "hide"}));
}

TEST_F(WindowSteps, AnErrorEndsTheSurveyButTheClosingStepsRun) {
    auto& m = machineWith(kThreeDrives);
    ScriptedPump pump;
    DriveSurvey survey(m, pump);
    survey.setOpticalKindQuery([](char) { return std::string(); });
    RecordingSink sink;
    sink.throwOnRow = 1;  // the second row fails
    EXPECT_THROW(survey.run({}, sink), std::runtime_error);
    EXPECT_EQ(sink.steps, (std::vector<std::string>{"show", "begin", "clear", "add C", "end", "hide"}));
    EXPECT_EQ(sink.rowCount(), 2);  // rows added so far stay
    EXPECT_EQ(pump.count, 1);
    EXPECT_EQ(m.currentErrorMode(), 0u);
    EXPECT_EQ(m.openHandleCount(), 0);
    EXPECT_FALSE(survey.running());
    // The next refresh runs normally.
    RecordingSink next;
    EXPECT_TRUE(survey.run({}, next));
    EXPECT_EQ(next.rowCount(), 3);
}

TEST_F(WindowSteps, AnErrorInsideAQueryLeavesTheErrorModeAtZero) {
    auto& m = machineWith(kThreeDrives);
    NullEventPump pump;
    DriveSurvey survey(m, pump);
    survey.setOpticalKindQuery([](char) -> std::string { throw std::runtime_error("drive went away"); });
    CollectingSink sink;
    EXPECT_THROW(survey.run({}, sink), std::runtime_error);
    EXPECT_EQ(m.currentErrorMode(), 0u);
    EXPECT_EQ(m.openHandleCount(), 0);
    EXPECT_EQ(lettersOf(sink.rows), "CD");  // D was in the list when its step failed
}

// A refresh that arrives while the survey lets messages run must not start a second survey.
class Reentry : public SurveyMachineTest {
protected:
    void SetUp() override {
        m_machine = &machineWith(kThreeDrives);
        m_expected = surveyRows(*m_machine, {}, "DVD-R");
        ASSERT_EQ(m_expected.size(), 3u);
    }
    void expectRowsIntact(const std::vector<DriveRecord>& rows) const {
        ASSERT_EQ(rows.size(), m_expected.size());
        for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(textsOf(rows[i]), textsOf(m_expected[i]));
    }
    sim::SimPlatform* m_machine = nullptr;
    std::vector<DriveRecord> m_expected;
};

TEST_F(Reentry, RefreshDuringTheFinalMessagesIsRefused) {
    ScriptedPump pump;
    DriveSurvey survey(*m_machine, pump);
    survey.setOpticalKindQuery([](char) { return std::string("DVD-R"); });
    RecordingSink outer;
    RecordingSink inner;
    int nestedResults = 0;
    bool nestedRan = true;
    pump.onPump = [&] {
        EXPECT_TRUE(survey.running());
        nestedRan = survey.run({}, inner);
        ++nestedResults;
    };
    ASSERT_TRUE(survey.run({}, outer));
    EXPECT_EQ(nestedResults, 1);
    EXPECT_FALSE(nestedRan);
    EXPECT_TRUE(inner.steps.empty());
    expectRowsIntact(outer.rows);
    EXPECT_FALSE(survey.running());
}

TEST_F(Reentry, RefreshWhileTheOpticalDriveIsAwaitedIsRefused) {
    ScriptedPump pump;
    DriveSurvey survey(*m_machine, pump);
    RecordingSink outer;
    RecordingSink inner;
    int nestedAttempts = 0;
    pump.onPump = [&] {
        if (survey.run({}, inner)) ADD_FAILURE() << "a survey ran inside the running one";
        ++nestedAttempts;
    };
    // Stands in for the optical kind query, which lets messages run while the drive spins up.
    survey.setOpticalKindQuery([&](char) {
        pump.processPendingMessages();
        pump.processPendingMessages();
        return std::string("DVD-R");
    });
    ASSERT_TRUE(survey.run({}, outer));
    EXPECT_EQ(nestedAttempts, 3);  // twice while waiting, once at the end
    EXPECT_TRUE(inner.steps.empty());
    expectRowsIntact(outer.rows);
    EXPECT_EQ(outer.steps.front(), "show");
    EXPECT_EQ(outer.steps.back(), "hide");
    EXPECT_EQ(m_machine->openHandleCount(), 0);
}

}  // namespace
}  // namespace zv::survey
