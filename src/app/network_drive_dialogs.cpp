#include "app/network_drive_dialogs.h"

#include "actions/network_drives.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace zv::app {

namespace {

void showFailure(QWidget* parent, const QString& title, const std::string& message) {
    QMessageBox box(QMessageBox::Critical, title, QString::fromStdString(message), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("messageDialog"));
    box.exec();
}

}  // namespace

MapNetworkDriveDialog::MapNetworkDriveDialog(platform::Platform& platform, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_letter(new QComboBox(this)), m_remote(new QLineEdit(this)) {
    setObjectName(QStringLiteral("MapNetworkDrive"));
    setWindowTitle(QStringLiteral("Map Network Drive"));
    m_letter->setObjectName(QStringLiteral("DriveLetter"));
    for (char letter : actions::freeDriveLetters(platform))
        m_letter->addItem(QStringLiteral("%1:").arg(QChar::fromLatin1(letter)), QChar::fromLatin1(letter));
    m_remote->setObjectName(QStringLiteral("Folder"));
    m_remote->setMinimumWidth(320);
    m_remote->setPlaceholderText(QStringLiteral("\\\\server\\share, smb://server/share, sftp://host/path, user@host:/path"));

    auto* intro = new QLabel(QStringLiteral("Choose the drive letter for the connection and the folder that you want "
                                            "to connect to."),
                             this);
    intro->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Drive:"), m_letter);
    form->addRow(QStringLiteral("Folder:"), m_remote);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Finish"));
    connect(buttons, &QDialogButtonBox::accepted, this, &MapNetworkDriveDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void MapNetworkDriveDialog::accept() {
    const std::string remote = actions::tidyRemoteName(m_remote->text().toStdString());
    if (remote.empty()) {
        showFailure(this, windowTitle(), "Enter the folder to connect to.");
        return;
    }
    if (m_letter->currentIndex() < 0) {
        showFailure(this, windowTitle(), "No drive letter is free for a new connection.");
        return;
    }
    const char letter = m_letter->currentData().toChar().toLatin1();
    std::string message;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto status = actions::connectNetworkDrive(m_platform, remote, letter, &message);
    QApplication::restoreOverrideCursor();
    if (status != win::NO_ERROR) {
        showFailure(this, windowTitle(), message);
        return;
    }
    QDialog::accept();
}

DisconnectNetworkDriveDialog::DisconnectNetworkDriveDialog(platform::Platform& platform, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_list(new QListWidget(this)) {
    setObjectName(QStringLiteral("DisconnectNetworkDrive"));
    setWindowTitle(QStringLiteral("Disconnect Network Drives"));
    m_list->setObjectName(QStringLiteral("NetworkDrives"));
    for (const auto& entry : actions::networkDriveLetters(platform)) {
        QString text = QStringLiteral("%1:  %2").arg(QChar::fromLatin1(entry.letter)).arg(QString::fromStdString(entry.remoteName));
        if (entry.unavailable) text += QStringLiteral("  (unavailable)");
        auto* item = new QListWidgetItem(text, m_list);
        item->setData(Qt::UserRole, QChar::fromLatin1(entry.letter));
    }
    if (m_list->count() > 0) m_list->setCurrentRow(0);
    auto* intro = new QLabel(QStringLiteral("Select the network drive(s) you want to disconnect, then click OK."), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_list->count() > 0);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(buttons, &QDialogButtonBox::accepted, this, &DisconnectNetworkDriveDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

void DisconnectNetworkDriveDialog::accept() {
    for (QListWidgetItem* item : m_list->selectedItems()) {
        const char letter = item->data(Qt::UserRole).toChar().toLatin1();
        std::string message;
        if (actions::disconnectNetworkDrive(m_platform, letter, false, &message) != win::NO_ERROR) {
            showFailure(this, windowTitle(), message);
            return;
        }
    }
    QDialog::accept();
}

}  // namespace zv::app
