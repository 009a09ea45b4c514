// The optical information window on the offscreen platform: its controls, the drive box
// when shown twice, and a button's error going to the application error box.
#include "app/tool_windows.h"
#include "optical/optical_machine.h"
#include "optical/ui/optical_info_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace zv::optical {
namespace {

using namespace zv::optical::testing;

QApplication& application() {
    static int argc = 1;
    static char name[] = "zv_tests_optical_ui";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

struct Window {
    std::unique_ptr<sim::SimPlatform> m = exampleMachine();
    RecordingMessages messages;
    NullEventPump pump;
    std::vector<std::string> errors;
    app::AppContext context{*m, messages, pump, nullptr, [this](const std::string& text) { errors.push_back(text); }};
    std::unique_ptr<QWidget> window;
    Window() {
        application();
        window.reset(app::createOpticalInfoWindow(context));
    }
    template <typename T>
    T* child(const char* name) {
        return window->findChild<T*>(name);
    }
};

TEST(OpticalWindowUi, ControlsAndShowingTwice) {
    Window w;
    ASSERT_TRUE(w.window);
    EXPECT_EQ(w.window->windowTitle(), "Optical Information");
    for (const char* name : {"Button1", "Button2", "Button3"}) EXPECT_TRUE(w.child<QPushButton>(name)) << name;
    EXPECT_EQ(w.child<QPushButton>("Button1")->text(), "Open Tray");
    EXPECT_EQ(w.child<QPushButton>("Button2")->text(), "Close Tray");
    EXPECT_EQ(w.child<QPushButton>("Button3")->text(), "Analyse Disk");
    const QLabel* picture = w.child<QLabel>("Image1");
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->pixmap().isNull()) << "the JPEG picture was decoded";

    w.window->show();
    w.window->hide();
    w.window->show();
    auto* box = w.child<QComboBox>("cbDrive");
    ASSERT_TRUE(box);
    EXPECT_EQ(box->count(), 4) << "each drive once";
    EXPECT_EQ(box->itemText(0), "D: [MYDISC]");
    EXPECT_EQ(box->itemText(2), "F: []");
    EXPECT_EQ(w.child<QLineEdit>("Edit1")->text(), "TSSTcorp");
    EXPECT_EQ(w.child<QLineEdit>("Edit3")->text(), "SB01");
    EXPECT_TRUE(w.child<QLineEdit>("Edit1")->isReadOnly());
    auto* list = w.child<QListWidget>("ListBox1");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->item(0)->text(), "Read CD-R");
    EXPECT_EQ(list->item(list->count() - 1)->text(), "Max Write Speed: 40x");
    EXPECT_TRUE(list->isWrapping()) << "two columns";
}

TEST(OpticalWindowUi, ButtonsReportThroughTheErrorBoxAndDialogs) {
    Window w;
    w.window->show();
    w.child<QPushButton>("Button3")->click();
    ASSERT_EQ(w.messages.shown.size(), 1u);
    EXPECT_EQ(w.messages.shown[0].text, "The Inserted media is DVD-ROM");
    w.child<QComboBox>("cbDrive")->setEditText("C");
    w.child<QPushButton>("Button2")->click();
    EXPECT_EQ(w.errors, std::vector<std::string>{"Cannot access drive."});
    EXPECT_EQ(w.m->openHandleCount(), 0);
}

}  // namespace
}  // namespace zv::optical
