// A started program on a simulated machine: the windows as the program creates them, with
// messages answered from a script, errors collected and an event pump the test can use to
// re-enter the window while a survey lets messages run.
#pragma once

#include "app/drive_list_delegate.h"
#include "app/drive_list_view.h"
#include "app/main_window.h"
#include "app/program_start.h"
#include "platform/sim/sim_platform.h"
#include "support/sim_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>

#include <deque>
#include <functional>

namespace zv::test {

class RecordingMessages final : public IMessages {
public:
    std::vector<std::string> texts;
    std::deque<DialogResult> answers;
    void showMessage(const std::string& text) override { texts.push_back(text); }
    DialogResult messageDialog(const std::string& text, DialogKind, DialogButtons buttons) override {
        texts.push_back(text);
        if (buttons == DialogButtons::Ok) return DialogResult::Ok;
        if (answers.empty()) return DialogResult::No;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void messageBox(const std::string& text, const std::string&, MessageIcon) override { texts.push_back(text); }
};

// Runs `whilePumping` (once per call) when the survey lets messages run.
class ReentrantPump final : public IEventPump {
public:
    std::function<void()> whilePumping;
    int calls = 0;
    void processPendingMessages() override {
        ++calls;
        if (whilePumping) {
            auto run = std::move(whilePumping);
            whilePumping = nullptr;
            run();
        }
    }
};

class WindowFixture : public SimFixture {
protected:
    void start(const std::string& machineName = "full", QStringList arguments = {}) {
        machinePlatform = &loadExample(machineName);
        startOn(*machinePlatform, std::move(arguments));
    }
    void startOn(sim::SimPlatform& platform, QStringList arguments) {
        // The survey reads the volume of empty drives in the normal error mode, which the
        // simulated machine notes as a critical-error dialog.
        allowUnknownRequests();
        machinePlatform = &platform;
        context = std::make_unique<app::AppContext>(app::AppContext{
            platform, messages, pump, nullptr, [this](const std::string& message) { errors.push_back(message); }});
        windows = app::createProgramWindows(*context, arguments);
    }
    void TearDown() override {
        windows = {};
        context.reset();
        SimFixture::TearDown();
    }

    app::TForm1& form() { return *windows.form1; }
    app::DriveListView& list() { return *form().listView(); }
    QCheckBox* box(const char* name) { return form().findChild<QCheckBox*>(QString::fromLatin1(name)); }
    QStringList captions() {
        QStringList out;
        for (int row = 0; row < list().topLevelItemCount(); ++row) out << list().topLevelItem(row)->text(0);
        return out;
    }
    int rowOf(const QString& caption) { return captions().indexOf(caption); }
    QStyleOptionViewItem cell(int row, int column, bool selected = false) {
        auto* delegate = qobject_cast<app::DriveListDelegate*>(list().itemDelegate());
        return delegate->cellOption(list().model()->index(row, column), selected);
    }
    QColor textColour(int row, int column) { return cell(row, column).palette.color(QPalette::Text); }
    QColor background(int row, int column) { return cell(row, column).backgroundBrush.color(); }
    bool hasBackground(int row, int column) { return cell(row, column).backgroundBrush.style() != Qt::NoBrush; }

    sim::SimPlatform* machinePlatform = nullptr;
    RecordingMessages messages;
    ReentrantPump pump;
    std::vector<std::string> errors;
    std::unique_ptr<app::AppContext> context;
    app::ProgramWindows windows;
};

}  // namespace zv::test
