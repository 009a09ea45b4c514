// The drive list stays readable in the desktop's palette and scale: no caption or cell is
// cut, and every row colour reads against the background it is painted on.
#include "app/column_fit.h"
#include "app/drive_row_style.h"
#include "app/theme_colours.h"
#include "app_ui/window_fixture.h"
#include "support/readable_lists.h"

#include <QHeaderView>
#include <QLabel>

#include <set>

namespace zv::test {
namespace {

class ReadableListTest : public WindowFixture {
protected:
    void startShown() {
        start("full");
        form().show();
        if (runningAtScaleTwo()) {
            EXPECT_DOUBLE_EQ(form().devicePixelRatio(), 2.0);
        }
    }
    app::RowTextFlag flagOf(int row) {
        return static_cast<app::RowTextFlag>(list().topLevelItem(row)->data(0, app::DriveListView::TextFlagRole).toInt());
    }
    QColor cellBackground(int row, int column) {
        return hasBackground(row, column) ? background(row, column) : list().palette().color(QPalette::Base);
    }
    // Every row colour of the list against its background; `skipInactive` leaves out the gray
    // text of inactive drives.
    void expectReadableRows(bool skipInactive) {
        std::set<app::RowTextFlag> flagsSeen;
        for (int row = 0; row < list().topLevelItemCount(); ++row) {
            flagsSeen.insert(flagOf(row));
            for (int column = 0; column < list().columnCount(); ++column) {
                if (skipInactive && column > 0 && flagOf(row) == app::RowTextFlag::Inactive) continue;
                const double ratio = app::contrastRatio(textColour(row, column), cellBackground(row, column));
                EXPECT_GE(ratio, app::kReadableContrast)
                    << "row " << row << " column " << column << " '" << list().topLevelItem(row)->text(column).toStdString()
                    << "' " << textColour(row, column).name().toStdString() << " on "
                    << cellBackground(row, column).name().toStdString();
            }
        }
        EXPECT_EQ(flagsSeen.size(), 4u) << "the machine shows every kind of row";
    }
    void expectReadablePanel() {
        auto* panel = form().findChild<QWidget*>(QStringLiteral("Panel1"));
        ASSERT_TRUE(panel);
        const QColor back = panel->palette().color(QPalette::Window);
        for (auto* label : panel->findChildren<QLabel*>()) {
            if (label->objectName() == QLatin1String("Label3")) continue;  // the address: checked below
            EXPECT_GE(app::contrastRatio(label->palette().color(QPalette::WindowText), back), app::kReadableContrast)
                << label->text().toStdString();
        }
        for (auto* box : panel->findChildren<QCheckBox*>())
            EXPECT_GE(app::contrastRatio(box->palette().color(QPalette::WindowText), back), app::kReadableContrast)
                << box->text().toStdString();
        EXPECT_GE(app::contrastRatio(app::addressColour(form().palette()), back), app::kReadableContrast);
    }
};

TEST_F(ReadableListTest, EveryCaptionAndCellFitsItsColumnOnALightPalette) {
    startShown();
    EXPECT_EQ(cutCells(list()), QStringList());
    list().setBold(false);
    EXPECT_EQ(cutCells(list()), QStringList()) << "in the regular font too";
}

TEST_F(ReadableListTest, EveryCaptionAndCellFitsItsColumnOnADarkPalette) {
    PaletteScope dark(darkPalette());
    startShown();
    EXPECT_EQ(cutCells(list()), QStringList());
}

TEST_F(ReadableListTest, ColumnsFitAgainAfterEveryFillButKeepTheUsersWidth) {
    startShown();
    const int sizeWidth = list().columnWidth(4);
    list().header()->resizeSection(4, 30);
    form().Refresh1Click();
    EXPECT_EQ(list().columnWidth(4), 30) << "a column the user resized keeps its width";
    EXPECT_GE(list().columnWidth(3), 110);
    EXPECT_GT(sizeWidth, 30);
    for (int column = 0; column < list().columnCount(); ++column)
        if (column != 4) {
            EXPECT_GE(list().columnWidth(column), app::columnWidthForContents(list(), column)) << column;
        }
}

TEST_F(ReadableListTest, EveryRowColourReadsOnADarkPalette) {
    PaletteScope dark(darkPalette());
    startShown();
    expectReadableRows(false);
    expectReadablePanel();
    auto* panel = form().findChild<QWidget*>(QStringLiteral("Panel1"));
    EXPECT_EQ(panel->palette().color(QPalette::Window), darkPalette().color(QPalette::Window))
        << "the bottom panel follows the window colour";
}

TEST_F(ReadableListTest, RowColoursReadOnALightPaletteAndKeepTheirDesignedValues) {
    startShown();
    // The gray of a drive that is not mounted or disconnected is the designed one, kept on a
    // light palette (WCAG sets no contrast for inactive items); all other colours read.
    expectReadableRows(true);
    expectReadablePanel();
    auto* panel = form().findChild<QWidget*>(QStringLiteral("Panel1"));
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(ReadableListTest, ThePanelFollowsAPaletteChangeWhileOpen) {
    startShown();
    auto* panel = form().findChild<QWidget*>(QStringLiteral("Panel1"));
    {
        PaletteScope dark(darkPalette());
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(panel->palette().color(QPalette::Window), darkPalette().color(QPalette::Window));
    }
    QApplication::processEvents();
        QApplication::processEvents();
    EXPECT_EQ(panel->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST(ReadableListScale, EveryCaptionAndCellFitsAtScaleTwo) {
    expectPassAtScaleTwo(QStringLiteral("ReadableListTest.EveryCaptionAndCellFits*"));
}

}  // namespace
}  // namespace zv::test
