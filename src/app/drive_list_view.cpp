#include "app/drive_list_view.h"

#include "app/column_fitter.h"
#include "app/drive_list_delegate.h"
#include "app/drive_row_style.h"

#include <QHeaderView>

namespace zv::app {

namespace {

struct ColumnLook {
    int width;
    Qt::Alignment alignment;
};

// Widths at 96 dots per inch; sizes and counts right-aligned.
constexpr ColumnLook kColumns[14] = {
    {50, Qt::AlignLeft},  {110, Qt::AlignLeft}, {105, Qt::AlignLeft}, {110, Qt::AlignLeft}, {75, Qt::AlignRight},
    {75, Qt::AlignRight}, {75, Qt::AlignRight}, {110, Qt::AlignRight}, {55, Qt::AlignLeft}, {92, Qt::AlignLeft},
    {75, Qt::AlignRight}, {74, Qt::AlignLeft},  {75, Qt::AlignLeft},  {140, Qt::AlignLeft},
};

QFont listFont() {
    // "MS Sans Serif" 8 point where installed; otherwise the nearest sans-serif face.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

}  // namespace

DriveListView::DriveListView(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("ListView1"));
    setColumnCount(14);
    QStringList captions;
    for (const char* caption : survey::kDriveListCaptions) captions << QString::fromLatin1(caption);
    setHeaderLabels(captions);
    QList<int> designedWidths;
    for (int column = 0; column < 14; ++column) {
        designedWidths << kColumns[column].width;
        headerItem()->setTextAlignment(column, kColumns[column].alignment | Qt::AlignVCenter);
    }
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setIconSize(QSize(16, 16));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFont(listFont());
    setItemDelegate(new DriveListDelegate(this));
    m_fitter = new ColumnFitter(*this, designedWidths);
    fitColumns();
}

void DriveListView::fitColumns() { m_fitter->fit(); }

void DriveListView::appendRecord(const survey::DriveRecord& record) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdString(record.caption));
    const auto columns = record.columns();
    for (int column = 1; column < 14; ++column) {
        item->setText(column, QString::fromStdString(columns[static_cast<size_t>(column - 1)]));
        item->setTextAlignment(column, kColumns[column].alignment | Qt::AlignVCenter);
    }
    item->setIcon(0, rowIcon(record.ImageIndex));
    item->setData(0, TextFlagRole, static_cast<int>(rowTextFlag(columns, m_decimalSeparator)));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren);
    addTopLevelItem(item);
}

std::optional<std::string> DriveListView::selectedCaption() const {
    const auto items = selectedItems();
    if (items.isEmpty()) return std::nullopt;
    return items.front()->text(0).toStdString();
}

int DriveListView::selectedRow() const {
    const auto items = selectedItems();
    if (items.isEmpty()) return -1;
    return indexOfTopLevelItem(items.front());
}

void DriveListView::selectRowAt(int row) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return;
    setCurrentItem(item);
    item->setSelected(true);
}

QIcon DriveListView::rowIcon(int imageIndex) {
    switch (imageIndex) {
    case 1: return QIcon(QStringLiteral(":/zorvane/rows/network.png"));
    case 2: return QIcon(QStringLiteral(":/zorvane/rows/optical.png"));
    case 3: return QIcon(QStringLiteral(":/zorvane/rows/removable.png"));
    case 4: return QIcon(QStringLiteral(":/zorvane/rows/spare.png"));
    case 5: return QIcon(QStringLiteral(":/zorvane/rows/disconnected.png"));
    default: return QIcon(QStringLiteral(":/zorvane/rows/local.png"));
    }
}

void DriveListView::setBold(bool bold) {
    QFont changed = font();
    changed.setBold(bold);
    setFont(changed);
    fitColumns();
}

}  // namespace zv::app
