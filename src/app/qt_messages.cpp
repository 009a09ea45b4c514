#include "app/qt_messages.h"

#include "common/error_box.h"

#include <QMessageBox>

namespace zv::app {

namespace {

QMessageBox::Icon iconOf(DialogKind kind) {
    switch (kind) {
    case DialogKind::Warning: return QMessageBox::Warning;
    case DialogKind::Error: return QMessageBox::Critical;
    case DialogKind::Information: return QMessageBox::Information;
    case DialogKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::Icon iconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

int runBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const std::string& text,
           QMessageBox::StandardButtons buttons, const char* objectName) {
    QMessageBox box(icon, title, QString::fromStdString(text), buttons, parent);
    box.setObjectName(QString::fromLatin1(objectName));
    return box.exec();
}

}  // namespace

QString dialogCaption(DialogKind kind) {
    switch (kind) {
    case DialogKind::Warning: return QStringLiteral("Warning");
    case DialogKind::Error: return QStringLiteral("Error");
    case DialogKind::Information: return QStringLiteral("Information");
    case DialogKind::Confirmation: return QStringLiteral("Confirm");
    }
    return {};
}

void QtMessages::showMessage(const std::string& text) {
    runBox(m_parent, QMessageBox::NoIcon, m_title, text, QMessageBox::Ok, "plainMessage");
}

DialogResult QtMessages::messageDialog(const std::string& text, DialogKind kind, DialogButtons buttons) {
    const auto standard = buttons == DialogButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                          : QMessageBox::StandardButtons(QMessageBox::Ok);
    switch (runBox(m_parent, iconOf(kind), dialogCaption(kind), text, standard, "messageDialog")) {
    case QMessageBox::Yes: return DialogResult::Yes;
    case QMessageBox::No: return DialogResult::No;
    case QMessageBox::Ok: return DialogResult::Ok;
    default: return DialogResult::Cancel;
    }
}

void QtMessages::messageBox(const std::string& text, const std::string& title, MessageIcon icon) {
    runBox(m_parent, iconOf(icon), QString::fromStdString(title), text, QMessageBox::Ok, "systemMessage");
}

void QtMessages::showError(const std::string& message) {
    runBox(m_parent, QMessageBox::Critical, m_title, errorBoxText(message), QMessageBox::Ok, "applicationError");
}

}  // namespace zv::app
