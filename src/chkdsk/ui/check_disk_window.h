// The "Check Disk" tool window: a fixed drive, four options, a log and a progress bar.
// Everything it shows comes from CheckDiskViewState.
#pragma once

#include "app/app_context.h"
#include "chkdsk/check_disk_view_state.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace zv::chkdsk {

class TfrmCheckDisk final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCheckDisk(app::AppContext& context);
    ~TfrmCheckDisk() override;

    CheckDiskViewState& state() { return m_state; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Button1Click();
    void Button2Click();
    void UnmountFixClick();
    void takeOptions();

    app::AppContext& m_context;
    CheckDiskViewState m_state;
    QComboBox* m_cbdrive;
    QPushButton* m_button1;
    QPushButton* m_button2;
    QPushButton* m_unmountFix;
    QCheckBox* m_optCorrectErrors;
    QCheckBox* m_optVerbose;
    QCheckBox* m_optCheckDirty;
    QCheckBox* m_optScanDrive;
    QPlainTextEdit* m_log;
    QProgressBar* m_progressBar;
};

}  // namespace zv::chkdsk
