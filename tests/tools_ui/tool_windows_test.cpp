// The check disk, benchmark, volumes, USB and cluster windows on Qt's offscreen platform,
// on the example machine.
#include "app/tool_windows.h"
#include "platform/sim/sim_platform.h"
#include "support/readable_lists.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>

#include <memory>

namespace zv::app {
namespace {

class NoMessages final : public IMessages {
public:
    std::vector<std::string> shown;
    void showMessage(const std::string& text) override { shown.push_back(text); }
    DialogResult messageDialog(const std::string& text, DialogKind, DialogButtons) override {
        shown.push_back(text);
        return DialogResult::Ok;
    }
    void messageBox(const std::string& text, const std::string&, MessageIcon) override { shown.push_back(text); }
};

class ToolWindows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "zv_tests_tools_ui";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        m_platform = sim::SimPlatform::fromFile(std::string(ZV_SOURCE_DIR) + "/examples/machines/tools.json");
        m_context = std::make_unique<AppContext>(AppContext{*m_platform, m_messages, m_pump, nullptr,
                                                            [this](const std::string& text) { m_errors.push_back(text); }});
    }
    template <typename T>
    T* child(QWidget* window, const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    std::unique_ptr<sim::SimPlatform> m_platform;
    NoMessages m_messages;
    NullEventPump m_pump;
    std::vector<std::string> m_errors;
    std::unique_ptr<AppContext> m_context;
};

TEST_F(ToolWindows, CheckDiskLogsACheck) {
    std::unique_ptr<QWidget> window(createCheckDiskWindow(*m_context));
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), "Check Disk");
    EXPECT_EQ(child<QCheckBox>(window.get(), "OptCorrectErrors")->text(), "Fix Erros");
    EXPECT_EQ(child<QCheckBox>(window.get(), "OptVerbose")->text(), "Verbose (Display all filenames)");
    window->show();
    window->show();
    auto* drives = child<QComboBox>(window.get(), "cbdrive");
    ASSERT_EQ(drives->count(), 2);
    EXPECT_EQ(drives->itemText(0), "C: [SYSTEM]");
    child<QPushButton>(window.get(), "Button1")->click();
    const QString log = child<QPlainTextEdit>(window.get(), "log")->toPlainText();
    EXPECT_TRUE(log.startsWith("Starting Check Disk for C:\nC:\\ Volume Label: SYSTEM, File System: NTFS\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("Check Disk: Finished OK\n")) << log.toStdString();
    EXPECT_TRUE(child<QPushButton>(window.get(), "Button1")->isEnabled());
    EXPECT_FALSE(child<QPushButton>(window.get(), "Button2")->isEnabled());
}

TEST_F(ToolWindows, BenchmarkAddsRowsPerDrive) {
    std::unique_ptr<QWidget> window(createBenchmarkWindow(*m_context));
    ASSERT_TRUE(window);
    EXPECT_FALSE(child<QCheckBox>(window.get(), "CheckBox2")->isVisibleTo(window.get()));
    child<QPushButton>(window.get(), "Button1")->click();
    auto* list = child<QTreeWidget>(window.get(), "ListView1");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->headerItem()->text(3), "Speed");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "E:");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "LOCAL");
    EXPECT_EQ(list->topLevelItem(1)->text(3), "20479 kb/sec");
    EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(ToolWindows, SmallReports) {
    std::unique_ptr<QWidget> volumes(createVolumesWindow(*m_context));
    child<QPushButton>(volumes.get(), "Button1")->click();
    child<QPushButton>(volumes.get(), "Button1")->click();
    EXPECT_EQ(child<QListWidget>(volumes.get(), "ListBox1")->count(), 3);

    std::unique_ptr<QWidget> usb(createUsbDrivesWindow(*m_context));
    EXPECT_EQ(usb->windowTitle(), "USB Drives");
    auto* memo = child<QPlainTextEdit>(usb.get(), "Memo1");
    EXPECT_TRUE(memo->toPlainText().isEmpty()) << "no designer text before the first report";
    EXPECT_FALSE(memo->placeholderText().isEmpty());
    auto* listButton = child<QPushButton>(usb.get(), "Button1");
    EXPECT_EQ(listButton->text(), "List USB Drives");
    listButton->click();
    listButton->click();
    EXPECT_TRUE(memo->toPlainText().startsWith("\n Disk Drive 1 is active but not a USB drive.\n\n")) << "one report, the latest";
    EXPECT_TRUE(memo->toPlainText().endsWith("\n\n There are 2 Disk Drives active on this system."));
    EXPECT_EQ(memo->toPlainText().count("There are 2 Disk Drives"), 1);
    EXPECT_TRUE(m_errors.empty());

    std::unique_ptr<QWidget> clusters(createClusterFiguresWindow(*m_context));
    child<QPushButton>(clusters.get(), "Button1")->click();
    child<QPushButton>(clusters.get(), "Button1")->click();
    auto* rows = child<QTreeWidget>(clusters.get(), "ListView1");
    ASSERT_EQ(rows->topLevelItemCount(), 5);  // emptied before each refresh
    EXPECT_EQ(rows->topLevelItem(1)->text(1), "8");
    EXPECT_EQ(rows->topLevelItem(0)->text(4), "0");
}

// The small report windows carry real captions: a title, whole column headers and buttons
// that say what they do, and their lists show every text uncut, in both palettes.
class ReadableToolWindows : public ToolWindows, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ToolWindows::SetUp();
        if (GetParam()) m_dark = std::make_unique<test::PaletteScope>(test::darkPalette());
    }
    void TearDown() override { m_dark.reset(); }
    void expectScale(QWidget* window) {
        if (test::runningAtScaleTwo()) {
            EXPECT_DOUBLE_EQ(window->devicePixelRatio(), 2.0);
        }
    }
    std::unique_ptr<test::PaletteScope> m_dark;
};

TEST_P(ReadableToolWindows, ClusterFiguresShowWholeCaptionsAndFigures) {
    std::unique_ptr<QWidget> window(createClusterFiguresWindow(*m_context));
    window->show();
    expectScale(window.get());
    EXPECT_EQ(window->windowTitle(), "Cluster Figures");
    auto* button = child<QPushButton>(window.get(), "Button1");
    EXPECT_EQ(button->text(), "Refresh");
    button->click();
    auto* rows = child<QTreeWidget>(window.get(), "ListView1");
    ASSERT_GT(rows->topLevelItemCount(), 0);
    EXPECT_EQ(rows->headerItem()->text(1), "Sectors per Cluster");
    EXPECT_EQ(rows->headerItem()->text(2), "Bytes per Sector");
    EXPECT_EQ(test::cutCells(*rows), QStringList());
}

TEST_P(ReadableToolWindows, BenchmarkRowsFit) {
    std::unique_ptr<QWidget> window(createBenchmarkWindow(*m_context));
    window->show();
    expectScale(window.get());
    child<QPushButton>(window.get(), "Button1")->click();
    auto* rows = child<QTreeWidget>(window.get(), "ListView1");
    ASSERT_GT(rows->topLevelItemCount(), 0);
    EXPECT_EQ(test::cutCells(*rows), QStringList());
}

TEST_P(ReadableToolWindows, NoDesignerNamesAreShown) {
    const std::pair<QWidget* (*)(AppContext&), const char*> windows[] = {
        {createClusterFiguresWindow, "Cluster Figures"}, {createVolumesWindow, "Volumes"}, {createUsbDrivesWindow, "USB Drives"}};
    const QRegularExpression designerName(QStringLiteral("^(Form|Button|Memo|ListView|ListBox)\\d+$"));
    for (const auto& [factory, title] : windows) {
        std::unique_ptr<QWidget> window(factory(*m_context));
        EXPECT_EQ(window->windowTitle(), title);
        for (auto* button : window->findChildren<QPushButton*>())
            EXPECT_FALSE(designerName.match(button->text()).hasMatch()) << title;
        for (auto* text : window->findChildren<QPlainTextEdit*>())
            EXPECT_FALSE(text->toPlainText().contains(QRegularExpression(QStringLiteral("Memo\\d")))) << title;
    }
}

INSTANTIATE_TEST_SUITE_P(Palettes, ReadableToolWindows, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

TEST_F(ToolWindows, ListsFitAtScaleTwo) { test::expectPassAtScaleTwo(QStringLiteral("Palettes/ReadableToolWindows.*")); }

}  // namespace
}  // namespace zv::app
