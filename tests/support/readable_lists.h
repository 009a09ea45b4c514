// Checks for the window tests that lists stay readable: every caption and cell fits its
// column (measured with the font metrics of the font in use, plus the style's margins), a dark
// palette to run the windows under, and a re-run of chosen tests at twice the scale.
#pragma once

#include <QAbstractItemModel>
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListView>
#include <QProcess>
#include <QStyle>
#include <QTreeView>

#include <gtest/gtest.h>

namespace zv::test {

// The room a cell's text needs beside the text itself: the style's text margin on both
// sides, and the icon or check box drawn before the text.
inline int cellPadding(const QAbstractItemView& view, const QModelIndex& index) {
    QStyle* style = view.style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 1;
    int padding = 2 * margin;
    if (!index.data(Qt::DecorationRole).isNull()) padding += view.iconSize().width() + 2 * margin;
    if (index.data(Qt::CheckStateRole).isValid())
        padding += style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, &view) + 2 * margin;
    return padding;
}

inline QFont cellFont(const QAbstractItemView& view, const QModelIndex& index) {
    const QVariant font = index.data(Qt::FontRole);
    return font.isValid() ? font.value<QFont>() : view.font();
}

// "column 3 row 2 'Failing Now': needs 71, has 48" for every caption or cell that is cut.
inline QStringList cutCells(const QTreeView& view) {
    QStringList cut;
    const QAbstractItemModel* model = view.model();
    const QHeaderView* header = view.header();
    const int headerMargin = view.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int column = 0; column < model->columnCount(); ++column) {
        const int width = header->sectionSize(column);
        const QString caption = model->headerData(column, Qt::Horizontal).toString();
        const int captionNeeds = QFontMetrics(header->font()).horizontalAdvance(caption) + 2 * headerMargin;
        if (captionNeeds > width)
            cut << QStringLiteral("caption %1 '%2': needs %3, has %4").arg(column).arg(caption).arg(captionNeeds).arg(width);
        for (int row = 0; row < model->rowCount(); ++row) {
            const QModelIndex index = model->index(row, column);
            const QString text = index.data().toString();
            if (text.isEmpty()) continue;
            const int needs = QFontMetrics(cellFont(view, index)).horizontalAdvance(text) + cellPadding(view, index);
            if (needs > width)
                cut << QStringLiteral("column %1 row %2 '%3': needs %4, has %5").arg(column).arg(row).arg(text).arg(needs).arg(width);
        }
    }
    return cut;
}

// The same for a list that lays its items out in a grid of equal cells.
inline QStringList cutGridItems(const QListView& view) {
    QStringList cut;
    const QAbstractItemModel* model = view.model();
    const int width = view.gridSize().width();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, view.modelColumn());
        const QString text = index.data().toString();
        const int needs = QFontMetrics(cellFont(view, index)).horizontalAdvance(text) + cellPadding(view, index);
        if (needs > width) cut << QStringLiteral("item %1 '%2': needs %3, has %4").arg(row).arg(text).arg(needs).arg(width);
    }
    return cut;
}

// A dark desktop palette, as a dark colour scheme of a desktop sets it.
inline QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(49, 54, 59));
    dark.setColor(QPalette::WindowText, QColor(239, 240, 241));
    dark.setColor(QPalette::Base, QColor(35, 38, 41));
    dark.setColor(QPalette::AlternateBase, QColor(42, 46, 50));
    dark.setColor(QPalette::Text, QColor(239, 240, 241));
    dark.setColor(QPalette::Button, QColor(49, 54, 59));
    dark.setColor(QPalette::ButtonText, QColor(239, 240, 241));
    dark.setColor(QPalette::Highlight, QColor(61, 174, 233));
    dark.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
    dark.setColor(QPalette::ToolTipBase, QColor(49, 54, 59));
    dark.setColor(QPalette::ToolTipText, QColor(239, 240, 241));
    dark.setColor(QPalette::PlaceholderText, QColor(161, 169, 177));
    return dark;
}

// Runs the windows of a test under the palette, then gives the previous one back.
class PaletteScope {
public:
    explicit PaletteScope(const QPalette& palette) : m_previous(QApplication::palette()) { QApplication::setPalette(palette); }
    ~PaletteScope() { QApplication::setPalette(m_previous); }
    PaletteScope(const PaletteScope&) = delete;
    PaletteScope& operator=(const PaletteScope&) = delete;

private:
    QPalette m_previous;
};

inline bool runningAtScaleTwo() { return qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2"); }

// Runs the tests matching `filter` again in a child of this test program at scale 2 (the
// scale is fixed when the application starts) and expects them to pass there.
inline void expectPassAtScaleTwo(const QString& filter) {
    if (runningAtScaleTwo()) GTEST_SKIP() << "already the run at scale 2";
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + filter});
    ASSERT_TRUE(child.waitForFinished(120000)) << "the run at scale 2 did not end";
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ]"))) << output.toStdString();
}

}  // namespace zv::test
