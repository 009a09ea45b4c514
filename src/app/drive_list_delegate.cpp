#include "app/drive_list_delegate.h"

#include "app/drive_list_view.h"
#include "app/drive_row_style.h"
#include "app/theme_colours.h"

namespace zv::app {

void DriveListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->state & QStyle::State_Selected) return;

    const RowColours colours = rowColours(option->palette);
    const bool driveCell = index.column() == 0;
    if (isShadedRow(index.row())) {
        option->backgroundBrush = driveCell ? colours.driveCellShade : colours.otherCellShade;
        option->palette.setColor(QPalette::Text, colours.shadedText);
    }
    if (driveCell) return;

    const auto flag = static_cast<RowTextFlag>(index.siblingAtColumn(0).data(DriveListView::TextFlagRole).toInt());
    switch (flag) {
    case RowTextFlag::LowSpace: option->palette.setColor(QPalette::Text, colours.lowSpaceText); break;
    case RowTextFlag::Hidden: option->palette.setColor(QPalette::Text, colours.hiddenText); break;
    case RowTextFlag::Inactive: option->palette.setColor(QPalette::Text, colours.inactiveText); break;
    case RowTextFlag::Normal: break;
    }
}

}  // namespace zv::app
