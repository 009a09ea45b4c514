#include "app/drive_list_delegate.h"

#include "app/drive_list_view.h"
#include "app/drive_row_style.h"

namespace zv::app {

void DriveListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->state & QStyle::State_Selected) return;

    const bool driveCell = index.column() == 0;
    if (isShadedRow(index.row())) {
        option->backgroundBrush = driveCell ? driveCellShade() : otherCellShade();
        option->palette.setColor(QPalette::Text, Qt::black);
    }
    if (driveCell) return;

    const auto flag = static_cast<RowTextFlag>(index.siblingAtColumn(0).data(DriveListView::TextFlagRole).toInt());
    switch (flag) {
    case RowTextFlag::LowSpace: option->palette.setColor(QPalette::Text, lowSpaceText()); break;
    case RowTextFlag::Hidden: option->palette.setColor(QPalette::Text, hiddenText()); break;
    case RowTextFlag::Inactive: option->palette.setColor(QPalette::Text, inactiveText()); break;
    case RowTextFlag::Normal: break;
    }
}

}  // namespace zv::app
