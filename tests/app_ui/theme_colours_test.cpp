// The fixed colours of the windows against the palettes they are shown in: the designed
// colours on a light palette, readable replacements of the same hue on a dark one.
#include "app/theme_colours.h"
#include "support/readable_lists.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace zv::test {
namespace {

QPalette lightPalette() {
    QPalette light;
    light.setColor(QPalette::Window, QColor(239, 239, 239));
    light.setColor(QPalette::WindowText, Qt::black);
    light.setColor(QPalette::Base, Qt::white);
    light.setColor(QPalette::Text, Qt::black);
    light.setColor(QPalette::Highlight, QColor(48, 140, 198));
    return light;
}

TEST(ThemeColours, ContrastRatioFollowsTheWcagDefinition) {
    EXPECT_NEAR(app::contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(app::contrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
    EXPECT_NEAR(app::contrastRatio(QColor(118, 118, 118), Qt::white), 4.54, 0.01);  // the WCAG example gray
    EXPECT_DOUBLE_EQ(app::contrastRatio(Qt::blue, Qt::yellow), app::contrastRatio(Qt::yellow, Qt::blue));
}

TEST(ThemeColours, ReadableOnKeepsTheHueAndMovesOnlyAsFarAsNeeded) {
    const QColor maroon(128, 0, 0);
    EXPECT_EQ(app::readableOn(maroon, {Qt::white}), maroon) << "already readable";
    const QColor onDark = app::readableOn(maroon, {QColor(35, 38, 41), QColor(49, 54, 59)});
    EXPECT_GE(app::contrastRatio(onDark, QColor(35, 38, 41)), app::kReadableContrast);
    EXPECT_GE(app::contrastRatio(onDark, QColor(49, 54, 59)), app::kReadableContrast);
    EXPECT_EQ(onDark.toHsl().hslHue(), maroon.toHsl().hslHue());
    const QColor darker = QColor::fromHsl(onDark.toHsl().hslHue(), onDark.toHsl().hslSaturation(), onDark.toHsl().lightness() - 8);
    EXPECT_LT(app::contrastRatio(darker, QColor(49, 54, 59)), app::kReadableContrast) << "no lighter than needed";
}

TEST(ThemeColours, ALightPaletteKeepsTheDesignedColours) {
    const QPalette light = lightPalette();
    EXPECT_FALSE(app::isDarkPalette(light));
    const app::RowColours rows = app::rowColours(light);
    EXPECT_EQ(rows.driveCellShade, QColor(226, 235, 252));
    EXPECT_EQ(rows.otherCellShade, QColor(207, 222, 250));
    EXPECT_EQ(rows.shadedText, QColor(Qt::black));
    EXPECT_EQ(rows.lowSpaceText, QColor(128, 0, 0));
    EXPECT_EQ(rows.hiddenText, QColor(0, 0, 255));
    EXPECT_EQ(rows.inactiveText, QColor(128, 128, 128));
    EXPECT_EQ(app::bottomPanelColour(light), QColor(Qt::white));
    EXPECT_EQ(app::headingBandColours(light), qMakePair(QColor(Qt::white), QColor(0xc9, 0xda, 0xf0)));
}

// Every text colour against every background it is painted on.
void expectReadable(const QPalette& palette) {
    const QColor windowText = palette.color(QPalette::WindowText);
    const auto [bandFrom, bandTo] = app::headingBandColours(palette);
    EXPECT_GE(app::contrastRatio(windowText, bandFrom), app::kReadableContrast) << "heading, left";
    EXPECT_GE(app::contrastRatio(windowText, bandTo), app::kReadableContrast) << "heading, right";
    EXPECT_GE(app::contrastRatio(windowText, app::footerBandColour(palette)), app::kReadableContrast) << "footer";
    EXPECT_GE(app::contrastRatio(windowText, app::bottomPanelColour(palette)), app::kReadableContrast) << "panel";
    EXPECT_GE(app::contrastRatio(app::addressColour(palette), app::bottomPanelColour(palette)), app::kReadableContrast);
    EXPECT_GE(app::contrastRatio(app::warningTextColour(palette), palette.color(QPalette::Window)), app::kReadableContrast);
    EXPECT_GE(app::contrastRatio(app::linkTextColour(palette), palette.color(QPalette::Window)), app::kReadableContrast);
}

TEST(ThemeColours, EveryFixedTextReadsInBothPalettes) {
    expectReadable(lightPalette());
    expectReadable(darkPalette());
}

TEST(ThemeColours, ADarkPaletteGetsColoursOfTheSameMeaning) {
    const QPalette dark = darkPalette();
    EXPECT_TRUE(app::isDarkPalette(dark));
    const app::RowColours rows = app::rowColours(dark);
    EXPECT_EQ(app::bottomPanelColour(dark), dark.color(QPalette::Window)) << "the panel follows the window colour";
    EXPECT_EQ(rows.lowSpaceText.toHsl().hslHue(), 0) << "still red";
    EXPECT_EQ(rows.hiddenText.toHsl().hslHue(), 240) << "still blue";
    EXPECT_LT(rows.inactiveText.lightness(), dark.color(QPalette::Text).lightness()) << "dimmer than normal text";
    EXPECT_LT(rows.otherCellShade.lightness(), 128) << "shades stay dark";
    EXPECT_NE(rows.otherCellShade, dark.color(QPalette::Base)) << "shaded rows still stand out";
}

}  // namespace
}  // namespace zv::test
