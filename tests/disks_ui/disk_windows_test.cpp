// The disk information and S.M.A.R.T. windows on the offscreen platform, on the example
// disk machines: controls, columns, the drive boxes when shown twice, the picture.
#include "app/tool_windows.h"
#include "platform/sim/sim_platform.h"
#include "app/theme_colours.h"
#include "support/readable_lists.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTreeWidget>

namespace {

using namespace zv;

QApplication& application() {
    static int argc = 1;
    static char name[] = "zv_tests_disks_ui";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

class CollectedMessages final : public IMessages {
public:
    std::vector<std::string> texts;
    void showMessage(const std::string& text) override { texts.push_back(text); }
    DialogResult messageDialog(const std::string& text, DialogKind, DialogButtons) override {
        texts.push_back(text);
        return DialogResult::Ok;
    }
    void messageBox(const std::string& text, const std::string&, MessageIcon) override { texts.push_back(text); }
};

struct Window {
    std::unique_ptr<sim::SimPlatform> m;
    CollectedMessages messages;
    NullEventPump pump;
    app::AppContext context;
    std::unique_ptr<QWidget> window;

    Window(const char* machine, QWidget* (*factory)(app::AppContext&))
        : m(sim::SimPlatform::fromFile(std::string(ZV_SOURCE_DIR) + "/examples/machines/" + machine + ".json")),
          context{*m, messages, pump, nullptr, [](const std::string&) {}} {
        application();
        window.reset(factory(context));
    }
    template <typename T>
    T* child(const char* name) {
        return window->findChild<T*>(name);
    }
    QString text(const char* edit) {
        auto* e = child<QLineEdit>(edit);
        EXPECT_TRUE(e) << edit;
        return e ? e->text() : QString();
    }
};

}  // namespace

TEST(DiskInfoWindowUi, FieldsFlagsAndDriveBox) {
    Window w("disks-healthy", app::createDiskInfoWindow);
    ASSERT_TRUE(w.window);
    EXPECT_EQ(w.window->windowTitle(), "Disk Information");
    EXPECT_EQ(w.window->size(), QSize(788, 385));
    w.window->show();
    w.window->hide();
    w.window->show();
    auto* box = w.child<QComboBox>("cbDrive");
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->isEditable()) << "the drive box takes no typing";
    ASSERT_EQ(box->count(), 2) << "showing twice does not repeat the drives";
    EXPECT_EQ(box->itemText(0), "C: [System]");
    EXPECT_EQ(w.text("info2"), "Fixed - NTFS");
    EXPECT_EQ(w.text("info4"), "80,023,715,840 bytes");
    EXPECT_EQ(w.text("Edit5"), "IFS");
    EXPECT_EQ(w.text("info3"), "YES");
    EXPECT_EQ(w.text("Edit11"), "5JT1ABCD");
    for (const char* name : {"info2", "Info1", "Edit2", "Edit8"}) EXPECT_TRUE(w.child<QLineEdit>(name)->isReadOnly());
    auto* flags = w.child<QListWidget>("clbFlags");
    ASSERT_TRUE(flags);
    ASSERT_EQ(flags->count(), 12);
    EXPECT_EQ(flags->item(0)->text(), "Case Is Preserved");
    EXPECT_EQ(flags->item(11)->text(), "Disk Quotas Support");

    box->setCurrentIndex(1);
    EXPECT_EQ(w.text("info2"), "Fixed - FAT32");
    EXPECT_EQ(w.text("Edit4"), "2");
    EXPECT_EQ(w.text("Edit5"), "FAT32");
    EXPECT_EQ(flags->item(3)->checkState(), Qt::Unchecked);
    EXPECT_EQ(flags->item(2)->checkState(), Qt::Checked);
    EXPECT_TRUE(w.messages.texts.empty());
}

TEST(SmartWindowUi, ColumnsRowsPictureAndStatus) {
    Window w("disks-failing", app::createSmartWindow);
    ASSERT_TRUE(w.window);
    EXPECT_EQ(w.window->windowTitle(), "SMART");
    EXPECT_EQ(w.window->size(), QSize(633, 446));
    auto* picture = w.child<QLabel>("Image1");
    ASSERT_TRUE(picture);
    EXPECT_FALSE(picture->pixmap().isNull()) << "the JPEG picture was decoded";
    w.window->show();
    w.window->hide();
    w.window->show();
    auto* box = w.child<QComboBox>("cbdrive");
    ASSERT_TRUE(box);
    EXPECT_TRUE(box->isEditable());
    EXPECT_EQ(box->count(), 1);
    EXPECT_EQ(w.text("Edit1"), "SMART Test Failed, Bad Attributes 2");
    EXPECT_EQ(w.text("Edit7"), "0");
    EXPECT_EQ(w.text("Edit3"), "HTS541040G9AT00");

    auto* list = w.child<QTreeWidget>("ListView");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->columnCount(), 10);
    const char* titles[] = {"Attribute", "Name", "State", "Current", "Worst", "Threshold", "Raw Value", "Fre-Fail", "Events", "Error Rate"};
    const int widths[] = {52, 110, 40, 48, 45, 60, 80, 50, 50, 70};
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(list->headerItem()->text(c), titles[c]);
        EXPECT_GE(list->columnWidth(c), widths[c]) << c << ": never narrower than designed";
    }
    ASSERT_EQ(list->topLevelItemCount(), 9);
    EXPECT_EQ(list->topLevelItem(1)->text(6), "1,811");
    EXPECT_TRUE(list->topLevelItem(1)->textAlignment(6) & Qt::AlignRight);
    EXPECT_EQ(list->topLevelItem(2)->text(2), "Failing Now");

    // Typing a drive without a disk answer: only the number, and a word on why.
    box->setEditText("Q");
    EXPECT_EQ(w.text("Edit7"), "-1");
    EXPECT_EQ(w.text("Edit1"), "");
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_FALSE(w.child<QLabel>("lblStatus")->text().isEmpty());
}

TEST(SmartWindowUi, NvmeDiskShowsItsHealthLogAsRows) {
    Window w("disks-nvme", app::createSmartWindow);
    ASSERT_TRUE(w.window);
    w.window->show();
    EXPECT_EQ(w.text("Edit7"), "0");
    EXPECT_EQ(w.text("Edit1"), "SMART Test Passed");
    EXPECT_EQ(w.text("Edit2"), QString::fromUtf8("38\xC2\xB0" "C"));
    EXPECT_EQ(w.text("Edit3"), "Samsung SSD 980 PRO 512GB");
    EXPECT_EQ(w.text("Edit4"), "S5GXNF0R123456A");
    EXPECT_EQ(w.text("Edit5"), "5B2QGXA7");
    EXPECT_EQ(w.text("Edit6"), "512,110,190,592");
    EXPECT_TRUE(w.child<QLabel>("lblStatus")->text().isEmpty());

    auto* list = w.child<QTreeWidget>("ListView");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->topLevelItemCount(), 11);
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(1);
    EXPECT_EQ(names, (QStringList{"Critical Warning", "Temperature Celsius", "Available Spare",
                                  "Available Spare Threshold", "Percentage Used", "Data Units Read",
                                  "Data Units Written", "Power Cycles", "Power On Hours", "Unsafe Shutdowns",
                                  "Media Errors"}));
    EXPECT_EQ(list->topLevelItem(0)->text(2), "OK");
    EXPECT_EQ(list->topLevelItem(0)->text(6), "0x00");
    EXPECT_EQ(list->topLevelItem(8)->text(6), "8,734");
    EXPECT_TRUE(list->topLevelItem(8)->textAlignment(6) & Qt::AlignRight);
    EXPECT_EQ(list->topLevelItem(2)->text(3), "100") << "the spare in the Current column";
    EXPECT_EQ(list->topLevelItem(2)->text(5), "10") << "its threshold in the Threshold column";
    EXPECT_TRUE(w.messages.texts.empty());
}

// Every list of the two windows, on every drive their boxes offer, shows its captions and
// texts uncut: in the light and the dark palette, and (run again) at scale 2.
struct MachineLists {
    const char* machine;
    bool attributesShown;  // some disk of the machine answers with S.M.A.R.T. attributes
};

class ReadableDiskWindows : public ::testing::TestWithParam<MachineLists> {
protected:
    void expectSmartListsFit(bool dark) {
        application();
        std::unique_ptr<test::PaletteScope> palette;
        if (dark) palette = std::make_unique<test::PaletteScope>(test::darkPalette());
        Window w(GetParam().machine, app::createSmartWindow);
        w.window->show();
        if (test::runningAtScaleTwo()) {
            EXPECT_DOUBLE_EQ(w.window->devicePixelRatio(), 2.0);
        }
        auto* box = w.child<QComboBox>("cbdrive");
        auto* list = w.child<QTreeWidget>("ListView");
        ASSERT_TRUE(box && list);
        int rowsSeen = 0;
        for (int item = 0; item < box->count(); ++item) {
            box->setCurrentIndex(item);
            rowsSeen += list->topLevelItemCount();
            EXPECT_EQ(test::cutCells(*list), QStringList()) << box->itemText(item).toStdString();
            // Every column in view, unless the window already spans the screen's width.
            if (w.window->width() < w.window->screen()->availableGeometry().width()) {
                EXPECT_LE(list->header()->length(), list->viewport()->width()) << "every column in view";
            }
            EXPECT_GE(w.window->width(), 633) << "never narrower than designed";
        }
        EXPECT_EQ(rowsSeen > 0, GetParam().attributesShown);
    }
};

TEST_P(ReadableDiskWindows, SmartListFitsOnALightPalette) { expectSmartListsFit(false); }
TEST_P(ReadableDiskWindows, SmartListFitsOnADarkPalette) { expectSmartListsFit(true); }

INSTANTIATE_TEST_SUITE_P(Machines, ReadableDiskWindows, ::testing::Values(MachineLists{"full", false}, MachineLists{"disks-healthy", true},
                                           MachineLists{"disks-failing", true}),
                         [](const auto& info) {
                             QString name = QString::fromLatin1(info.param.machine);
                             return name.remove(QLatin1Char('-')).toStdString();
                         });

TEST(ReadableDiskInfo, FlagNamesFitTheirGridCells) {
    Window w("full", app::createDiskInfoWindow);
    w.window->show();
    auto* box = w.child<QComboBox>("cbDrive");
    auto* flags = w.child<QListWidget>("clbFlags");
    ASSERT_TRUE(box && flags);
    bool longNameSeen = false;
    for (int item = 0; item < box->count(); ++item) {
        box->setCurrentIndex(item);
        EXPECT_EQ(test::cutGridItems(*flags), QStringList()) << box->itemText(item).toStdString();
        EXPECT_GE(flags->gridSize().width(), 205) << "never narrower than designed";
        longNameSeen = longNameSeen || !flags->findItems("Encrypted File System Support", Qt::MatchExactly).isEmpty();
    }
    EXPECT_TRUE(longNameSeen);
}

TEST(ReadableDiskWindowsTheme, WindowsFollowAPaletteChangeWhileOpen) {
    Window w("disks-failing", app::createSmartWindow);
    w.window->show();
    auto* status = w.child<QLabel>("lblStatus");
    const auto statusColour = [&] { return QColor(status->styleSheet().section(':', 1).remove(';').trimmed()); };
    EXPECT_EQ(statusColour(), app::warningTextColour(QApplication::palette()));
    {
        test::PaletteScope dark(test::darkPalette());
        QApplication::processEvents();
        QApplication::processEvents();
        EXPECT_EQ(statusColour(), app::warningTextColour(test::darkPalette()));
        EXPECT_GE(app::contrastRatio(statusColour(), test::darkPalette().color(QPalette::Window)), app::kReadableContrast);
    }
    QApplication::processEvents();
        QApplication::processEvents();
    EXPECT_EQ(statusColour(), app::warningTextColour(QApplication::palette()));
}

TEST(ReadableDiskScale, ListsFitAtScaleTwo) {
    application();
    test::expectPassAtScaleTwo(QStringLiteral("Machines/ReadableDiskWindows.*:ReadableDiskInfo.*"));
}
