// A message service that records what the commands show and answers dialogs from a script.
#pragma once

#include "common/ui_services.h"

#include <deque>
#include <string>
#include <vector>

namespace zv::test {

struct ShownMessage {
    enum class Form { Plain, Dialog, System } form = Form::Plain;
    std::string text;
    DialogKind kind = DialogKind::Information;
    DialogButtons buttons = DialogButtons::Ok;
    std::string title;
    MessageIcon icon = MessageIcon::None;
};

class ScriptedMessages final : public IMessages {
    static ShownMessage make(ShownMessage::Form form, const std::string& text) {
        ShownMessage message;
        message.form = form;
        message.text = text;
        return message;
    }

public:
    std::vector<ShownMessage> shown;
    std::deque<DialogResult> answers;  // answers of Yes/No dialogs, in order (default No)

    void showMessage(const std::string& text) override { shown.push_back(make(ShownMessage::Form::Plain, text)); }
    DialogResult messageDialog(const std::string& text, DialogKind kind, DialogButtons buttons) override {
        ShownMessage message = make(ShownMessage::Form::Dialog, text);
        message.kind = kind;
        message.buttons = buttons;
        shown.push_back(message);
        if (buttons == DialogButtons::Ok) return DialogResult::Ok;
        if (answers.empty()) return DialogResult::No;
        const DialogResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void messageBox(const std::string& text, const std::string& title, MessageIcon icon) override {
        ShownMessage message = make(ShownMessage::Form::System, text);
        message.title = title;
        message.icon = icon;
        shown.push_back(message);
    }
};

}  // namespace zv::test
