#include "app/desktop_dialogs.h"

#include "actions/drive_properties.h"
#include "app/drive_properties_dialog.h"
#include "app/main_window.h"
#include "app/network_drive_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace zv::app {

void QtDesktopDialogs::showDriveProperties(char letter) {
    const auto properties = actions::queryDriveProperties(m_platform, letter);
    // The sheet stays open beside the main window, as the shell's does.
    auto* dialog = new DrivePropertiesDialog(properties, m_platform.system().GetLocaleSeparators(), owner());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void QtDesktopDialogs::showMapNetworkDrive() {
    MapNetworkDriveDialog dialog(m_platform, owner());
    dialog.exec();
}

void QtDesktopDialogs::showDisconnectNetworkDrive() {
    DisconnectNetworkDriveDialog dialog(m_platform, owner());
    dialog.exec();
}

bool QtDesktopDialogs::browseForFolder(const std::string& title, std::string* path) {
    const QString chosen = QFileDialog::getExistingDirectory(owner(), QString::fromStdString(title), QString(),
                                                             QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty()) return false;
    if (path) *path = chosen.toStdString();
    return true;
}

void QtDesktopDialogs::showMessage(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Information, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Ok, owner());
    box.setObjectName(QStringLiteral("desktopMessage"));
    box.exec();
}

bool QtDesktopDialogs::confirm(const std::string& title, const std::string& text) {
    QMessageBox box(QMessageBox::Warning, QString::fromStdString(title), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, owner());
    box.setObjectName(QStringLiteral("desktopConfirm"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

char QtDesktopDialogs::selectedDrive() {
    const auto* form1 = qobject_cast<TForm1*>(owner());
    if (!form1) return 0;
    return form1->selectedLetter().value_or(0);
}

void QtDesktopDialogs::minimizeOwnWindows() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->isWindow()) window->showMinimized();
}

}  // namespace zv::app
