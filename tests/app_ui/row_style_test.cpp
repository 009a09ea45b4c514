#include "app/drive_row_style.h"
#include "app/window_rules.h"

#include <gtest/gtest.h>

namespace zv::test {
namespace {

using app::RowTextFlag;

// Label, Type, Additional Info, Size, Used, Available, Bytes Free, Format, Volume Serial,
// % Free, Visibility, Vendor, Product Id.
std::array<std::string, 13> row(const std::string& label, const std::string& info, const std::string& format,
                                 const std::string& percent, const std::string& visibility) {
    return {label, "Local Disk", info, "", "", "", "", format, "", percent, visibility, "", ""};
}

TEST(RowStyle, LowSpaceStartsBelowFivePercentAndNeverForCdfs) {
    EXPECT_EQ(app::rowTextFlag(row("Data", "", "NTFS", "     4.9%", "Visible"), "."), RowTextFlag::LowSpace);
    EXPECT_EQ(app::rowTextFlag(row("Data", "", "NTFS", "     5.0%", "Visible"), "."), RowTextFlag::Normal);
    EXPECT_EQ(app::rowTextFlag(row("Disc", "", "CDFS", "     0.0%", "Visible"), "."), RowTextFlag::Normal);
    EXPECT_EQ(app::rowTextFlag(row("Disc", "", "UDF", "     0.0%", "Visible"), "."), RowTextFlag::LowSpace);
}

TEST(RowStyle, LaterRulesWin) {
    EXPECT_EQ(app::rowTextFlag(row("Data", "", "NTFS", "     1.0%", "Hidden"), "."), RowTextFlag::Hidden);
    EXPECT_EQ(app::rowTextFlag(row("Not mounted", "", "", "     0.0%", "Visible"), "."), RowTextFlag::Inactive)
        << "an empty drive's zero percent would otherwise be maroon";
    EXPECT_EQ(app::rowTextFlag(row("Not mounted", "", "", "     0.0%", "Hidden"), "."), RowTextFlag::Inactive);
    EXPECT_EQ(app::rowTextFlag(row("", "Disconnected", "", "     0.0%", "Hidden"), "."), RowTextFlag::Inactive);
    EXPECT_EQ(app::rowTextFlag(row("Data", "", "NTFS", "    45.3%", "Visible"), "."), RowTextFlag::Normal);
}

TEST(RowStyle, PercentTextsFollowTheLocaleSeparator) {
    double value = 0;
    EXPECT_TRUE(app::readPercentFree("    45.3%", ".", &value));
    EXPECT_DOUBLE_EQ(value, 45.3);
    EXPECT_TRUE(app::readPercentFree("     4,9%", ",", &value));
    EXPECT_DOUBLE_EQ(value, 4.9);
    EXPECT_FALSE(app::readPercentFree("     4.9%", ",", &value)) << "a point is no decimal separator here";
    EXPECT_FALSE(app::readPercentFree("", ".", &value));
    EXPECT_FALSE(app::readPercentFree("abc%", ".", &value));
    EXPECT_EQ(app::rowTextFlag(row("Data", "", "NTFS", "", "Visible"), "."), RowTextFlag::Normal)
        << "an unreadable text flags nothing";
}

TEST(RowStyle, OddRowsAreShaded) {
    EXPECT_FALSE(app::isShadedRow(0));
    EXPECT_TRUE(app::isShadedRow(1));
    EXPECT_FALSE(app::isShadedRow(2));
    EXPECT_TRUE(app::isShadedRow(5));
}

TEST(WindowRules, NoRefreshInAnyCaseAndOnlyAsFirstArgument) {
    EXPECT_TRUE(app::suppressesInitialSurvey({"/norefresh"}));
    EXPECT_TRUE(app::suppressesInitialSurvey({"/NoRefresh", "x"}));
    EXPECT_FALSE(app::suppressesInitialSurvey({}));
    EXPECT_FALSE(app::suppressesInitialSurvey({"x", "/norefresh"}));
    EXPECT_FALSE(app::suppressesInitialSurvey({"norefresh"}));
}

TEST(WindowRules, WidthDependsOnScreensWiderThan1250) {
    EXPECT_EQ(app::mainWindowWidth(1280), 1250);
    EXPECT_EQ(app::mainWindowWidth(1251), 1250);
    EXPECT_EQ(app::mainWindowWidth(1250), 800);
    EXPECT_EQ(app::mainWindowWidth(1024), 800);
}

}  // namespace
}  // namespace zv::test
