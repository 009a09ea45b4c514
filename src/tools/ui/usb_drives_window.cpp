#include "tools/ui/usb_drives_window.h"

#include "tools/usb_drive_report.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zv::tools {

TfrmUSBDrives::TfrmUSBDrives(app::AppContext& context)
    : QDialog(context.mainWindow, Qt::Window), m_context(context) {
    setObjectName(QStringLiteral("frmUSBDrives"));
    setWindowTitle(QStringLiteral("USB Drives"));
    setModal(false);

    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setObjectName(QStringLiteral("Memo1"));
    m_memo1->setPlainText(QStringLiteral("Memo1"));
    auto* button1 = new QPushButton(QStringLiteral("Button1"), this);
    button1->setObjectName(QStringLiteral("Button1"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_memo1, 1);
    layout->addWidget(button1, 0, Qt::AlignLeft);
    resize(480, 360);

    connect(button1, &QPushButton::clicked, this, &TfrmUSBDrives::Button1Click);
}

void TfrmUSBDrives::Button1Click() {
    const auto append = [this](const std::string& text) {
        // A text holding CR LF becomes several lines.
        m_memo1->appendPlainText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    };
    try {
        runUsbDriveReport(m_context.platform, append);
    } catch (const std::exception& error) {
        if (m_context.showError) m_context.showError(error.what());
    }
}

}  // namespace zv::tools
