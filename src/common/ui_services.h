// Services of the user interface that the logic needs, injected as small interfaces so that
// tests can script them and re-enter on purpose. The window program implements them with Qt;
// the command line prints the messages.
#pragma once

#include <stdexcept>
#include <string>

namespace zv {

// "Let pending window messages run once" (the framework's ProcessMessages).
class IEventPump {
public:
    virtual ~IEventPump() = default;
    virtual void processPendingMessages() = 0;
};

// An event pump that does nothing (command line, tests that do not re-enter).
class NullEventPump final : public IEventPump {
public:
    void processPendingMessages() override {}
};

enum class DialogKind { Warning, Error, Information, Confirmation };
enum class DialogButtons { Ok, YesNo };
enum class DialogResult { Ok, Yes, No, Cancel };
enum class MessageIcon { None, Error, Warning, Information, Question };

class IMessages {
public:
    virtual ~IMessages() = default;
    // A plain message box with the application's title and an OK button.
    virtual void showMessage(const std::string& text) = 0;
    // A standard message dialog whose caption names its kind ("Warning", "Error",
    // "Information", "Confirm") with the matching icon and the given buttons.
    virtual DialogResult messageDialog(const std::string& text, DialogKind kind, DialogButtons buttons) = 0;
    // A system message box with an explicit title and icon, OK button.
    virtual void messageBox(const std::string& text, const std::string& title, MessageIcon icon) = 0;
};

// An error raised inside a command: it ends the command and is shown in the application
// error box (with the full-stop rule applied to its message).
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace zv
