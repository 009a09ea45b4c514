// TfrmSmart: the S.M.A.R.T. verdict, temperature, identity and attribute list of the disk
// behind a fixed drive. The fields come from SmartView; this class lays them out.
#pragma once

#include "app/app_context.h"
#include "smart/smart_view.h"

#include <QDialog>

#include <map>

class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace zv::app {
class ColumnFitter;
}

namespace zv::smart::ui {

class TfrmSmart final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSmart(app::AppContext& context, QWidget* parent = nullptr);

    const SmartView& view() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void cbdriveChange(const QString& text);
    void showFields();
    QWidget* buildHeader();

    app::AppContext& m_context;
    SmartView m_view;
    QComboBox* cbdrive = nullptr;
    QTreeWidget* ListView = nullptr;
    app::ColumnFitter* m_fitter = nullptr;
    void widenToList();
    void applyThemeColours();
    QWidget* m_heading = nullptr;
    QLabel* m_status = nullptr;
    std::map<std::string, QLineEdit*> m_edits;
    bool m_filling = false;
};

}  // namespace zv::smart::ui
