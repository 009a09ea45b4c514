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
    m_memo1->setReadOnly(true);
    m_memo1->setPlaceholderText(QStringLiteral("Press \"List USB Drives\" to see which disk drives are attached by USB."));
    auto* button1 = new QPushButton(QStringLiteral("List USB Drives"), this);
    button1->setToolTip(QStringLiteral("Report every disk drive and whether it is attached by USB."));
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
    // Each press shows the drives as they are now, not below an older report.
    m_memo1->clear();
    try {
        runUsbDriveReport(m_context.platform, append);
    } catch (const std::exception& error) {
        if (m_context.showError) m_context.showError(error.what());
    }
}

}  // namespace zv::tools
