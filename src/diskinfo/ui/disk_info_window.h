// TfrmDiskInfo: the volume figures, file-system capabilities and partition entry of one fixed
// drive. The fields come from DiskInfoView; this class lays them out and forwards events.
#pragma once

#include "app/app_context.h"
#include "diskinfo/disk_info_view.h"

#include <QDialog>

#include <map>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;

namespace zv::diskinfo::ui {

class TfrmDiskInfo final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDiskInfo(app::AppContext& context, QWidget* parent = nullptr);

    const DiskInfoView& view() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QWidget* m_heading = nullptr;  // the bands coloured from the palette
    QWidget* m_footer = nullptr;
    void FormShow();
    void cbDriveChange(int index);
    void clbFlagsClick(QListWidgetItem* item);
    void showFields();
    QWidget* buildHeader();
    QWidget* buildFields();
    QWidget* buildFooter();
    QLineEdit* addField(QGridLayout* grid, int row, int column, const char* label, const char* name);

    app::AppContext& m_context;
    DiskInfoView m_view;
    QComboBox* cbDrive = nullptr;
    QListWidget* clbFlags = nullptr;
    QMenu* m_popup = nullptr;
    std::map<std::string, QLineEdit*> m_edits;  // by control name
    bool m_filling = false;
};

}  // namespace zv::diskinfo::ui
