// TfrmOpticalInfo: the identification, capabilities and inserted disc of one CD/DVD drive.
// What it shows comes from OpticalInfoView; this class lays it out and forwards events.
#pragma once

#include "app/app_context.h"
#include "optical/optical_info_view.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace zv::optical::ui {

class TfrmOpticalInfo final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOpticalInfo(app::AppContext& context, QWidget* parent = nullptr);

    const OpticalInfoView& view() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Refresh1Click();
    void cbDriveChange();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // Runs a button's action; its error goes to the application error box.
    void runCommand(void (OpticalInfoView::*action)());
    void showDriveBox();
    void showFields();
    QWidget* buildHeader();
    QWidget* buildBody();

    app::AppContext& m_context;
    OpticalInfoView m_view;
    QComboBox* cbDrive = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    bool m_filling = false;
};

}  // namespace zv::optical::ui
