#include "app/column_fit.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QListView>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

namespace zv::app {

namespace {

// The option a view paints its items with; the view's own builder is not public.
QStyleOptionViewItem itemOption(const QAbstractItemView& view) {
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.widget = &view;
    option.font = view.font();
    option.state &= ~QStyle::State_HasFocus;
    const int iconExtent = view.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &view);
    option.decorationSize = view.iconSize().isValid() ? view.iconSize() : QSize(iconExtent, iconExtent);
    option.decorationPosition = QStyleOptionViewItem::Left;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.showDecorationSelected = true;
    return option;
}

// Room for the grid lines some lists draw around their cells and for rounding in the font.
constexpr int kSlack = 6;

}  // namespace

int columnWidthForContents(const QTreeView& view, int column) {
    const QAbstractItemModel* model = view.model();
    if (!model || column < 0 || column >= model->columnCount()) return 0;
    int widest = view.header() && !view.header()->isHidden() ? view.header()->sectionSizeHint(column) : 0;
    const QStyleOptionViewItem option = itemOption(view);
    const int rows = model->rowCount();
    for (int row = 0; row < rows; ++row) {
        const QModelIndex index = model->index(row, column);
        const QAbstractItemDelegate* delegate = view.itemDelegateForIndex(index);
        if (!delegate) continue;
        int width = delegate->sizeHint(option, index).width() + kSlack;
        if (column == 0 && view.rootIsDecorated()) width += view.indentation();
        widest = std::max(widest, width);
    }
    return widest;
}

void fitColumnsToContents(QTreeView& view, const QList<int>& minimumWidths) {
    const QAbstractItemModel* model = view.model();
    if (!model) return;
    for (int column = 0; column < model->columnCount(); ++column) {
        const int minimum = column < minimumWidths.size() ? minimumWidths[column] : 0;
        view.setColumnWidth(column, std::max(minimum, columnWidthForContents(view, column)));
    }
}

void fitGridToItems(QListView& view, int minimumWidth) {
    const QAbstractItemModel* model = view.model();
    if (!model) return;
    const QStyleOptionViewItem option = itemOption(view);
    int width = minimumWidth;
    int height = view.gridSize().isValid() ? view.gridSize().height() : 0;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, view.modelColumn());
        const QAbstractItemDelegate* delegate = view.itemDelegateForIndex(index);
        if (!delegate) continue;
        const QSize hint = delegate->sizeHint(option, index);
        width = std::max(width, hint.width() + kSlack);
        height = std::max(height, hint.height());
    }
    view.setGridSize(QSize(width, height));
}

}  // namespace zv::app
