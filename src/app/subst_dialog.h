// TFrmSubstDialog: the drive letter, the folder (typed or chosen with the folder button) and
// "Add to startup" of a new substitute drive. Created once and reused, so it keeps what the
// user last entered.
#pragma once

#include "actions/subst_commands.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QToolButton;

namespace zv::app {

class TFrmSubstDialog final : public QDialog, public actions::ISubstDialog {
    Q_OBJECT
public:
    // `browse(title, &path)` shows the folder browser; true when the user chose a folder.
    TFrmSubstDialog(QWidget* parent, std::function<bool(const std::string&, std::string*)> browse);

    bool execute(actions::SubstEntry* entry) override;
    actions::SubstEntry entry() const;

    QLineEdit* Edit1 = nullptr;      // path
    QLineEdit* Edit2 = nullptr;      // drive letter
    QCheckBox* CheckBox1 = nullptr;  // "Add to startup"
    QToolButton* SpeedButton1 = nullptr;

public slots:
    void SpeedButton1Click();
    void accept() override;

private:
    std::function<bool(const std::string&, std::string*)> m_browse;
};

}  // namespace zv::app
