#include "smart/attribute_evaluation.h"

#include "smart_pages.h"

#include <gtest/gtest.h>

using namespace zv::smart;
using test::Attr;

namespace {

TSmartResult evaluate(const std::vector<Attr>& attrs, const std::vector<std::pair<int, int>>& thresholds) {
    const auto a = test::attributePage(attrs);
    const auto t = test::thresholdPage(thresholds);
    TSmartResult r;
    EvaluateAttributes(a.data(), t.data(), r);
    return r;
}

constexpr uint16_t kPreFail = 0x0001;

}  // namespace

TEST(AttributeWalk, StopsAtTheFirstZeroIdentifier) {
    const auto r = evaluate({{1, kPreFail, 100, 100, 0}, {3, kPreFail, 100, 100, 0}, {0, 0, 0, 0, 0}, {5, kPreFail, 100, 100, 0}},
                            {{1, 6}, {3, 6}, {5, 36}});
    EXPECT_EQ(r.AttrCount, 2);
    EXPECT_EQ(r.Ids[2], 0);
    EXPECT_EQ(r.State[2], "");
}

TEST(AttributeWalk, TakesAllThirtyEntries) {
    std::vector<Attr> attrs;
    for (int id = 1; id <= 30; ++id) attrs.push_back({id + 100, 0x0002, 100, 100, uint64_t(id)});
    const auto r = evaluate(attrs, {});
    EXPECT_EQ(r.AttrCount, 30);
    EXPECT_EQ(r.Ids[29], 130);
    EXPECT_EQ(r.Raw[29], 30);
    EXPECT_EQ(r.Names[0], "Unknown");
}

TEST(AttributeWalk, FlagsNamesAndValues) {
    const auto r = evaluate({{194, 0x0032, 42, 55, 0x0000'0037'0014'002Aull}}, {});
    EXPECT_EQ(r.Names[0], "Temperature Celcius");
    EXPECT_FALSE(r.PreFail[0]);
    EXPECT_TRUE(r.EventCount[0]);
    EXPECT_FALSE(r.ErrorRate[0]);
    EXPECT_EQ(r.Current[0], 42);
    EXPECT_EQ(r.Worst[0], 55);
    const auto e = evaluate({{1, 0x000B, 100, 99, 0}}, {});
    EXPECT_TRUE(e.PreFail[0]);
    EXPECT_TRUE(e.ErrorRate[0]);
    EXPECT_FALSE(e.EventCount[0]);
}

TEST(AttributeWalk, RawValueKeepsAllFortyEightBits) {
    const auto r = evaluate({{9, 0x0032, 100, 100, 0xFFFF'FFFF'FFFFull}, {241, 0x0032, 100, 100, 0x1'0000'0001ull}}, {});
    EXPECT_EQ(r.Raw[0], int64_t(0xFFFF'FFFF'FFFFull));
    EXPECT_EQ(r.Raw[1], int64_t(0x1'0000'0001ull));
    EXPECT_EQ(r.PowerOnHours, 0) << "totals take only raw values below 2^31-1";
}

TEST(AttributeThresholds, BelongToTheirAttributeByIdentifier) {
    // The threshold table lists the entries in another order than the attribute table.
    const auto r = evaluate({{1, kPreFail, 100, 100, 0}, {5, kPreFail, 100, 100, 0}, {7, kPreFail, 100, 100, 0}},
                            {{7, 30}, {1, 6}, {5, 36}});
    EXPECT_EQ(r.Threshold[0], 6);
    EXPECT_EQ(r.Threshold[1], 36);
    EXPECT_EQ(r.Threshold[2], 30);
}

TEST(AttributeThresholds, MissingOrZeroThresholdOrNoPreFailFlagReadsDash) {
    const auto r = evaluate({{1, kPreFail, 1, 1, 0}, {3, kPreFail, 1, 1, 0}, {5, 0x0002, 1, 1, 900}},
                            {{3, 0}, {5, 36}});
    for (int k = 0; k < 3; ++k) EXPECT_EQ(r.State[size_t(k)], "-") << k;
    EXPECT_EQ(r.FailCount, 0);
    EXPECT_EQ(r.WarnCount, 0);
}

struct StateCase {
    const char* name;
    int id;
    int current;
    int worst;
    int threshold;
    uint64_t raw;
    const char* state;
};

class AttributeStates : public testing::TestWithParam<StateCase> {};

TEST_P(AttributeStates, Judgement) {
    const StateCase& c = GetParam();
    const auto r = evaluate({{c.id, kPreFail, c.current, c.worst, c.raw}}, {{c.id, c.threshold}});
    EXPECT_EQ(r.State[0], c.state);
    const std::string s = c.state;
    EXPECT_EQ(r.FailCount, (s == "Failing Now" || s == "Failed In Past") ? 1 : 0);
    EXPECT_EQ(r.WarnCount, s == "Warning" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AttributeStates,
    testing::Values(StateCase{"healthy", 1, 100, 100, 6, 0, "OK"},
                    StateCase{"belowThreshold", 1, 5, 5, 6, 0, "Failing Now"},
                    StateCase{"atThresholdFails", 1, 36, 36, 36, 0, "Failing Now"},
                    StateCase{"worstAtThreshold", 1, 90, 36, 36, 0, "Failed In Past"},
                    StateCase{"worstBelow", 1, 90, 20, 36, 0, "Failed In Past"},
                    StateCase{"warningBelowMiddle", 1, 67, 60, 36, 0, "Warning"},
                    StateCase{"atMiddleIsOk", 1, 68, 68, 36, 0, "OK"},
                    StateCase{"reallocatedAbove500", 5, 100, 100, 36, 501, "Warning"},
                    StateCase{"reallocated500", 5, 100, 100, 36, 500, "OK"},
                    StateCase{"thresholdAboveScale", 1, 120, 120, 110, 0, "OK"}),
    [](const testing::TestParamInfo<StateCase>& info) { return info.param.name; });

TEST(AttributeScale, SpinUpAbove230SwitchesTo253FromThatAttributeOn) {
    // Attribute 1 before the switch is judged on 100: 100 < 6 + 47 is false -> OK.
    // Attribute 3 (253) and 7 after it on 253: middle 6 + 123 = 129.
    const auto r = evaluate({{1, kPreFail, 100, 100, 0}, {3, kPreFail, 253, 253, 0}, {7, kPreFail, 100, 100, 0}},
                            {{1, 6}, {3, 6}, {7, 6}});
    EXPECT_EQ(r.State[0], "OK");
    EXPECT_EQ(r.State[1], "OK");
    EXPECT_EQ(r.State[2], "Warning");
    EXPECT_EQ(r.WarnCount, 1);

    const auto at230 = evaluate({{4, kPreFail, 230, 230, 0}, {7, kPreFail, 100, 100, 0}}, {{4, 6}, {7, 6}});
    EXPECT_EQ(at230.State[1], "OK") << "230 itself keeps the scale at 100";
}

TEST(AttributeTotals, ReallocatedPowerOnAndCycles) {
    const auto r = evaluate({{5, 0x0033, 100, 100, 12}, {9, 0x0032, 100, 100, 59}, {12, 0x0032, 100, 100, 1500}}, {});
    EXPECT_EQ(r.ReallocatedSectors, 12);
    EXPECT_EQ(r.PowerOnHours, 1);
    EXPECT_EQ(r.PowerCycles, 1500);
    const auto zero = evaluate({{9, 0x0032, 100, 100, 0}, {5, 0x0033, 100, 100, 2147483647}}, {});
    EXPECT_EQ(zero.PowerOnHours, 0);
    EXPECT_EQ(zero.ReallocatedSectors, 0);
}

TEST(AttributeTemperature, RawBytesAndWorstSubstitute) {
    // raw bytes 2A 00 14 00 37 00, current 42: byte 0 equals the current value.
    const auto r = evaluate({{194, 0x0022, 42, 58, 0x0000'0037'0014'002Aull}}, {});
    EXPECT_EQ(r.Temperature, 42);
    EXPECT_EQ(r.TemperatureByte2, 20);
    EXPECT_EQ(r.TemperatureByte4, 58);
    EXPECT_TRUE(r.hasTemperature());

    const auto other = evaluate({{194, 0x0022, 110, 90, 0x0000'0037'0014'002Aull}}, {});
    EXPECT_EQ(other.Temperature, 42);
    EXPECT_EQ(other.TemperatureByte4, 0x37);

    const auto none = evaluate({{1, kPreFail, 100, 100, 0}}, {{1, 6}});
    EXPECT_FALSE(none.hasTemperature());
}
