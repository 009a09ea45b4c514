#include "window_fixture.h"

#include "app/command_table.h"
#include "app/subst_dialog.h"
#include "app/window_rules.h"
#include "common/error_box.h"

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

namespace zv::test {
namespace {

using app::Command;

class MainWindowTest : public WindowFixture {};

TEST_F(MainWindowTest, FirstShowSurveysTheMachineIntoFourteenColumns) {
    start();
    EXPECT_TRUE(form().statusLabel()->isVisibleTo(&form())) << "Label5 is visible until the first survey ends";
    form().show();
    EXPECT_EQ(form().surveysRun(), 1);
    EXPECT_FALSE(form().statusLabel()->isVisibleTo(&form()));
    EXPECT_EQ(form().statusLabel()->text(), "Refreshing ...");
    EXPECT_EQ(list().columnCount(), 14);
    EXPECT_EQ(list().headerItem()->text(10), "% Free");
    EXPECT_GE(list().columnWidth(13), 140) << "never narrower than designed";
    EXPECT_EQ(list().headerItem()->textAlignment(7) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    const QStringList rows = captions();
    ASSERT_GE(rows.size(), 10);
    EXPECT_EQ(rows.front(), "C: ");
    EXPECT_FALSE(rows.contains("A: ")) << "A and B are skipped";
    EXPECT_EQ(list().selectedRow(), 0) << "after a survey the first row is selected";
    EXPECT_TRUE(list().font().bold());
    EXPECT_FALSE(list().isSortingEnabled());
}

TEST_F(MainWindowTest, RowsAreShadedAndColouredFromTheirTexts) {
    start();
    form().Refresh1Click();
    list().clearSelection();
    const int f = rowOf("F: ");  // less than 5 % free
    const int g = rowOf("G: ");  // hidden by the policy
    const int i = rowOf("I: ");  // empty card reader
    const int r = rowOf("R: ");  // remembered, unavailable connection
    ASSERT_GE(f, 0);
    ASSERT_GE(g, 0);
    ASSERT_GE(i, 0);
    ASSERT_GE(r, 0);
    EXPECT_EQ(textColour(f, 1), QColor(128, 0, 0));
    EXPECT_EQ(textColour(f, 13), QColor(128, 0, 0));
    EXPECT_NE(textColour(f, 0), QColor(128, 0, 0)) << "the Drive cell never takes the flag colours";
    EXPECT_EQ(textColour(g, 5), QColor(0, 0, 255));
    EXPECT_EQ(textColour(i, 5), QColor(128, 128, 128));
    EXPECT_EQ(textColour(r, 2), QColor(128, 128, 128));

    EXPECT_FALSE(hasBackground(0, 0));
    EXPECT_FALSE(hasBackground(0, 4));
    EXPECT_EQ(background(1, 0), QColor(226, 235, 252));
    EXPECT_EQ(background(1, 4), QColor(207, 222, 250));
    EXPECT_FALSE(hasBackground(2, 1));

    // A selected row shows the highlight and none of the flag colours.
    const QStyleOptionViewItem selected = cell(f, 1, true);
    EXPECT_EQ(selected.backgroundBrush.style(), Qt::NoBrush);
    EXPECT_NE(selected.palette.color(QPalette::Text), QColor(128, 0, 0));
    EXPECT_EQ(cell(1, 0, true).backgroundBrush.style(), Qt::NoBrush) << "no shade on a selected row";
}

TEST_F(MainWindowTest, ShadingFollowsThePositionsAfterFiltering) {
    start();
    form().Refresh1Click();
    const int before = list().topLevelItemCount();
    box("CheckBox1")->click();  // "Local" off runs a survey at once
    EXPECT_EQ(form().surveysRun(), 2);
    EXPECT_LT(list().topLevelItemCount(), before);
    EXPECT_EQ(rowOf("C: "), -1);
    list().clearSelection();
    for (int row = 0; row < list().topLevelItemCount(); ++row)
        EXPECT_EQ(hasBackground(row, 2), row % 2 == 1) << "row " << row;
}

TEST_F(MainWindowTest, TheDisconnectedBoxWaitsForTheNextSurvey) {
    start();
    form().Refresh1Click();
    ASSERT_GE(rowOf("R: "), 0);
    box("CheckBox8")->click();
    EXPECT_EQ(form().surveysRun(), 1);
    EXPECT_GE(rowOf("R: "), 0) << "nothing changes until the next survey";
    form().Refresh1Click();
    EXPECT_EQ(rowOf("R: "), -1);
    EXPECT_EQ(rowOf("U: "), -1);
}

TEST_F(MainWindowTest, SelectionAndHorizontalScrollSurviveARefresh) {
    start();
    form().resize(400, 300);
    form().show();
    list().selectRowAt(3);
    QScrollBar* bar = list().horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 100);
    bar->setValue(100);
    form().Refresh1Click();
    EXPECT_EQ(list().selectedRow(), 3);
    EXPECT_EQ(bar->value(), 100);
}

TEST_F(MainWindowTest, NoRefreshWaitsForTheFirstTrigger) {
    start("full", {"/NOREFRESH"});
    form().show();
    EXPECT_EQ(list().topLevelItemCount(), 0);
    EXPECT_TRUE(form().statusLabel()->isVisible());
    form().Timer1Timer();
    EXPECT_GT(list().topLevelItemCount(), 0);
    EXPECT_FALSE(form().statusLabel()->isVisible());
}

TEST_F(MainWindowTest, TheTimerSurveysOnlyWhileAutoRefreshIsOn) {
    start("full", {"/norefresh"});
    EXPECT_EQ(form().timer()->interval(), 20000);
    EXPECT_TRUE(form().timer()->isActive());
    form().action("AutoRefresh1")->trigger();
    EXPECT_FALSE(form().autoRefresh());
    EXPECT_FALSE(box("CheckBox6")->isChecked());
    form().Timer1Timer();
    EXPECT_EQ(form().surveysRun(), 0);
    EXPECT_TRUE(form().timer()->isActive()) << "the timer is never stopped";
    box("CheckBox6")->click();
    EXPECT_TRUE(form().action("AutoRefresh1")->isChecked());
    form().Timer1Timer();
    EXPECT_EQ(form().surveysRun(), 1);
}

TEST_F(MainWindowTest, ARefreshWhileTheSurveyLetsMessagesRunNeverNests) {
    start("full", {"/norefresh"});
    int runsSeenInside = -1;
    pump.whilePumping = [this, &runsSeenInside] {
        form().Timer1Timer();
        form().Refresh1Click();
        box("CheckBox2")->click();
        runsSeenInside = form().surveysRun();
    };
    form().Refresh1Click();
    EXPECT_EQ(runsSeenInside, 0) << "no survey ran inside the running one";
    EXPECT_EQ(form().surveysRun(), 2) << "the requests were carried out once, afterwards";
    EXPECT_EQ(rowOf("J: "), -1) << "the list matches the CD/DVD box as it is now";
}

TEST_F(MainWindowTest, StayOnTopFollowsBoxAndMenu) {
    start("full", {"/norefresh"});
    box("CheckBox7")->click();
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().action("Stayontop2")->isChecked());
    box("CheckBox7")->click();
    EXPECT_FALSE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(form().action("Stayontop2")->isChecked());
    EXPECT_FALSE(box("CheckBox7")->isChecked());
    form().action("Stayontop2")->trigger();
    EXPECT_TRUE(box("CheckBox7")->isChecked());
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainWindowTest, BoldAndSkipABChangeNothingUntilTheirTime) {
    start();
    form().Refresh1Click();
    const int rows = list().topLevelItemCount();
    form().action("Bold1")->trigger();
    EXPECT_FALSE(list().font().bold());
    form().Refresh1Click();
    EXPECT_FALSE(list().font().bold()) << "a refresh keeps the chosen weight";
    form().action("SkipAandBdrives1")->trigger();
    EXPECT_EQ(list().topLevelItemCount(), rows);
    form().Refresh1Click();
    EXPECT_EQ(captions().front(), "A: ");
}

TEST_F(MainWindowTest, MenusCarryEveryEntryOfTheTable) {
    start("full", {"/norefresh"});
    EXPECT_EQ(form().action("Refresh2")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(form().action("Explorer1")->shortcut(), QKeySequence(Qt::Key_F8));
    EXPECT_EQ(form().action("Properties1")->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(form().action("Minimize1")->shortcut(), QKeySequence(Qt::Key_F12));
    EXPECT_EQ(form().action("Exit1")->shortcut(), QKeySequence(Qt::Key_F10));
    for (const char* hidden : {"Stayontop1", "FormatDisk1", "Query1", "Settings1", "Diskflags1"}) {
        ASSERT_NE(form().action(hidden), nullptr) << hidden;
        EXPECT_FALSE(form().action(hidden)->isVisible()) << hidden;
    }
    int separators = 0;
    for (QAction* action : form().listPopup()->actions()) separators += action->isSeparator();
    EXPECT_EQ(separators, 10);
    for (Command command : app::commandsOfTables()) {
        const bool toolWindow = command >= Command::DiskInfoWindow;
        if (!toolWindow) {
            EXPECT_TRUE(form().dispatcher().isBound(command)) << static_cast<int>(command);
        }
    }
    // A tool window that is not built leaves its items disabled.
    const std::pair<const char*, Command> toolItems[] = {
        {"DiskInformation1", Command::DiskInfoWindow}, {"SMARTInformation1", Command::SmartWindow},
        {"CheckDisk1", Command::CheckDiskWindow},       {"DriveBenchmark2", Command::BenchmarkWindow},
        {"OpticalInformation1", Command::OpticalInfoWindow}, {"VolumeList1", Command::VolumesWindow},
        {"USBDriveReport1", Command::UsbDrivesWindow},  {"ClusterFigures1", Command::ClusterFiguresWindow}};
    for (const auto& [name, command] : toolItems) {
        QAction* item = form().action(name);
        ASSERT_NE(item, nullptr) << name;
        EXPECT_EQ(item->isEnabled(), form().dispatcher().isBound(command)) << name;
    }
    auto* eject = form().findChild<QToolButton*>("ToolButton3");
    ASSERT_NE(eject, nullptr);
    EXPECT_EQ(eject->toolTip(), "Open / Eject Highlighted CD/DVD/Zip drive.");
    EXPECT_EQ(eject->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_EQ(eject->iconSize(), QSize(32, 32));
}

TEST_F(MainWindowTest, AltLettersOpenTheTopLevelMenus) {
    start("full", {"/norefresh"});
    form().show();
    QApplication::setActiveWindow(&form());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    QStringList shown;
    QSet<int> letters;
    for (QAction* item : form().menuBar()->actions()) {
        const QKeySequence alt = QKeySequence::mnemonic(item->text());
        ASSERT_FALSE(alt.isEmpty()) << item->text().toStdString();
        EXPECT_TRUE(!letters.contains(alt[0].toCombined())) << "two menus share " << alt.toString().toStdString();
        letters.insert(alt[0].toCombined());
        shown << QString(item->text()).remove(QLatin1Char('&'));
    }
    EXPECT_EQ(shown, QStringList({"File", "View", "Drives", "Optical", "Tools", "Help"}));

    auto* drives = form().findChild<QMenu*>("Drives1");
    ASSERT_NE(drives, nullptr);
    QTest::keyClick(&form(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([drives] { return drives->isVisible(); }, 2000)) << "Alt+D opens the Drives menu";
    drives->close();
}

TEST_F(MainWindowTest, CommandErrorsReachTheApplicationErrorBox) {
    start();
    form().Refresh1Click();
    list().selectRowAt(rowOf("C: "));
    form().action("LoadMedia1")->trigger();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "CD/DVD drive not selected");
    EXPECT_EQ(errorBoxText(errors[0]), "CD/DVD drive not selected.");
    EXPECT_EQ(errorBoxText("Invalid data type for 'NoDrives'"), "Invalid data type for 'NoDrives'");
    EXPECT_EQ(applicationTitle("/usr/bin/zorvane"), "Zorvane");
    EXPECT_TRUE(form().isEnabled()) << "the window keeps running";
}

TEST_F(MainWindowTest, HideAndUnhideFromTheToolbar) {
    start();
    form().Refresh1Click();
    list().selectRowAt(rowOf("E: "));
    messages.answers = {DialogResult::Yes};
    form().findChild<QToolButton*>("ToolButton5")->click();
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[0], "Are you Sure you want to hide drive E:");
    const int runs = form().surveysRun();
    EXPECT_EQ(list().topLevelItem(rowOf("E: "))->text(11), "Visible") << "the list is not refreshed";
    form().action("Unhide2")->trigger();
    EXPECT_EQ(form().surveysRun(), runs + 1);
    EXPECT_EQ(list().topLevelItem(rowOf("E: "))->text(11), "Visible");
    list().selectRowAt(rowOf("E: "));
    messages.answers = {DialogResult::Yes};
    form().action("HideDrive1")->trigger();
    form().Refresh1Click();
    EXPECT_EQ(list().topLevelItem(rowOf("E: "))->text(11), "Hidden");
}

TEST_F(MainWindowTest, ShellCommandsPassWhatTheirTablesSay) {
    start();
    form().Refresh1Click();
    list().selectRowAt(rowOf("C: "));
    machinePlatform->clearCalls();
    form().action("Explorer1")->trigger();
    form().action("Properties2")->trigger();
    form().action("SearchDrives1")->trigger();
    form().action("RemoveUSBDrive1")->trigger();
    const auto execute = callsNamed(*machinePlatform, "ShellExecuteA");
    ASSERT_EQ(execute.size(), 1u) << describeCalls(*machinePlatform);
    EXPECT_EQ(execute[0]->arguments[1], "explore");
    EXPECT_EQ(execute[0]->arguments[2], "C:\\");
    const auto properties = callsNamed(*machinePlatform, "ShellExecuteExA");
    ASSERT_EQ(properties.size(), 1u);
    EXPECT_EQ(properties[0]->arguments[4], "C:");
    EXPECT_EQ(callsNamed(*machinePlatform, "AutomationCall").size(), 1u);
    EXPECT_EQ(callsNamed(*machinePlatform, "WinExec").size(), 1u);
    EXPECT_TRUE(errors.empty());
}

TEST_F(MainWindowTest, TheSubstituteDialogKeepsItsFieldsAndRefusesAnEmptyLetter) {
    start("full", {"/norefresh"});
    auto* dialog = windows.substDialog;
    ASSERT_NE(dialog, nullptr);
    bool refusedStayedOpen = false;
    QTimer::singleShot(0, dialog, [&] {
        dialog->Edit1->setText("C:\\Temp");
        // OK with an empty letter: a warning, and the dialog stays.
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget()) box->close();
        });
        dialog->accept();
        refusedStayedOpen = dialog->isVisible();
        QTest::keyClicks(dialog->Edit2, "t");
        dialog->CheckBox1->setChecked(true);
        dialog->accept();
    });
    form().action("CreateSubstituteDrive1")->trigger();
    EXPECT_TRUE(refusedStayedOpen);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(dialog->Edit2->text(), "T") << "the letter box shows upper case";
    std::string text;
    ASSERT_TRUE(machinePlatform->fileText("c:\\autoexec.bat", &text));
    EXPECT_NE(text.find("subst T: C:\\Temp\r\n"), std::string::npos);
    EXPECT_GE(rowOf("T: "), 0) << "the list was refreshed";

    // The second use starts from the first one's fields.
    QTimer::singleShot(0, dialog, [&] { dialog->reject(); });
    form().action("CreateSubstituteDrive1")->trigger();
    EXPECT_EQ(dialog->Edit1->text(), "C:\\Temp");
    EXPECT_TRUE(dialog->CheckBox1->isChecked());
}

}  // namespace
}  // namespace zv::test
