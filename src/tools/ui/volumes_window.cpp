#include "tools/ui/volumes_window.h"

#include "tools/volume_list.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zv::tools {

TfrmVolumes::TfrmVolumes(app::AppContext& context)
    : QDialog(context.mainWindow, Qt::Window), m_context(context) {
    setObjectName(QStringLiteral("frmVolumes"));
    setWindowTitle(QStringLiteral("Volumes"));
    setModal(false);

    auto* top = new QFrame(this);
    top->setFrameShape(QFrame::StyledPanel);
    auto* button1 = new QPushButton(QStringLiteral("Refresh"), top);
    button1->setObjectName(QStringLiteral("Button1"));
    auto* topLayout = new QHBoxLayout(top);
    topLayout->addWidget(button1);
    topLayout->addStretch(1);

    m_listBox1 = new QListWidget(this);
    m_listBox1->setObjectName(QStringLiteral("ListBox1"));

    auto* bottom = new QFrame(this);
    bottom->setFrameShape(QFrame::StyledPanel);
    bottom->setMinimumHeight(24);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(top);
    layout->addWidget(m_listBox1, 1);
    layout->addWidget(bottom);
    resize(460, 300);

    connect(button1, &QPushButton::clicked, this, &TfrmVolumes::Button1Click);
}

void TfrmVolumes::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_context.mainWindow) move(m_context.mainWindow->frameGeometry().center() - rect().center());
}

void TfrmVolumes::Button1Click() {
    m_listBox1->clear();
    for (const std::string& name : readVolumeNames(m_context.platform))
        m_listBox1->addItem(QString::fromStdString(name));
}

}  // namespace zv::tools
