// The user messages of the program as Qt message boxes: the plain box with the
// application's title, the standard dialogs captioned after their kind, the system box with
// an explicit title, and the application error box.
#pragma once

#include "common/ui_services.h"

#include <QString>

class QWidget;

namespace zv::app {

class QtMessages final : public IMessages {
public:
    // `title` is the application's title (applicationTitle of the program file).
    QtMessages(QString title, QWidget* parent = nullptr) : m_title(std::move(title)), m_parent(parent) {}

    void setParent(QWidget* parent) { m_parent = parent; }
    const QString& title() const { return m_title; }

    void showMessage(const std::string& text) override;
    DialogResult messageDialog(const std::string& text, DialogKind kind, DialogButtons buttons) override;
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override;

    // The application error box: the title, the error icon, OK, and the message with the
    // full-stop rule applied.
    void showError(const std::string& message);

private:
    QString m_title;
    QWidget* m_parent;
};

// The caption of a standard message dialog: "Warning", "Error", "Information", "Confirm".
QString dialogCaption(DialogKind kind);

}  // namespace zv::app
