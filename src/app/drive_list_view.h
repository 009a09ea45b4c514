// ListView1: the drive list in report style, fourteen columns, one row per DriveRecord, an
// icon per row, whole-row single selection, no sorting and no editing. Each row carries its
// view state (the text flag of its cells 2 to 14) for the delegate that paints it.
#pragma once

#include "survey/drive_survey.h"

#include <QTreeWidget>

namespace zv::app {

class ColumnFitter;

class DriveListView final : public QTreeWidget {
    Q_OBJECT
public:
    // Item data role that holds a row's RowTextFlag (as int).
    static constexpr int TextFlagRole = Qt::UserRole + 1;

    explicit DriveListView(QWidget* parent = nullptr);

    // `decimalSeparator` is the locale's, for reading the "% Free" texts.
    void setDecimalSeparator(std::string separator) { m_decimalSeparator = std::move(separator); }

    void appendRecord(const survey::DriveRecord& record);
    // The selected row's caption ("C: "), or nullopt when no row is selected.
    std::optional<std::string> selectedCaption() const;
    int selectedRow() const;
    void selectRowAt(int row);

    // The row icons of the small image list, by ImageIndex (0 to 5).
    static QIcon rowIcon(int imageIndex);

    // Bold or regular list font.
    void setBold(bool bold);

    // Widens the columns to their captions and texts; after every fill and font change.
    void fitColumns();

private:
    ColumnFitter* m_fitter = nullptr;
    std::string m_decimalSeparator = ".";
};

}  // namespace zv::app
