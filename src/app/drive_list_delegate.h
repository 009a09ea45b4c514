// Paints the drive list's cells from each row's view state: the shading of rows at odd
// positions (a lighter shade in the Drive cell), black text on shaded rows, and the maroon,
// blue and gray text of cells 2 to 14, all matched to the view's palette (theme_colours.h).
// Selected rows take the style's highlight colours only.
#pragma once

#include <QStyledItemDelegate>

namespace zv::app {

class DriveListDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The option a cell is painted with (background brush and text colour set).
    // `selected`: as the view paints a selected row.
    QStyleOptionViewItem cellOption(const QModelIndex& index, bool selected = false) const {
        QStyleOptionViewItem option;
        if (selected) option.state |= QStyle::State_Selected;
        initStyleOption(&option, index);
        return option;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace zv::app
