#include "app/settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>

namespace zv::app {

TfrmSettings::TfrmSettings(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);

    auto* interval = new QSpinBox(this);
    interval->setObjectName(QStringLiteral("RefreshInterval"));
    interval->setRange(5, 3600);
    interval->setValue(30);
    interval->setSuffix(QStringLiteral(" seconds"));
    auto* warning = new QSpinBox(this);
    warning->setObjectName(QStringLiteral("FreeSpaceWarning"));
    warning->setRange(0, 100);
    warning->setValue(5);
    warning->setSuffix(QStringLiteral(" %"));
    auto* bold = new QCheckBox(QStringLiteral("Bold list font"), this);
    bold->setChecked(true);
    auto* shading = new QCheckBox(QStringLiteral("Shade every second row"), this);
    shading->setChecked(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Refresh intervals"), interval);
    form->addRow(QStringLiteral("Free space warning"), warning);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(bold);
    layout->addWidget(shading);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace zv::app
