#include "diskinfo/ui/disk_info_window.h"

#include "app/column_fit.h"
#include "app/palette_follower.h"
#include "app/theme_colours.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QVBoxLayout>

namespace zv::diskinfo::ui {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

// The designed width of a cell of the file system flags.
constexpr int kFlagCellWidth = 205;

// A band of colour standing in for the decorative pictures.
QFrame* band(const QString& style, int width, int height) {
    auto* frame = new QFrame;
    frame->setStyleSheet(style);
    if (width) frame->setFixedWidth(width);
    if (height) frame->setFixedHeight(height);
    return frame;
}

}  // namespace

TfrmDiskInfo::TfrmDiskInfo(app::AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_context(context),
      m_view(context.platform, context.messages) {
    setObjectName("frmDiskInfo");
    setWindowTitle("Disk Information");
    setModal(false);
    setFixedSize(788, 385);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    auto* picture = band("background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #24476b, stop:1 #7aa9d8);", 120, 0);
    picture->setObjectName("Image1");
    body->addWidget(picture);
    body->addWidget(buildFields(), 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addLayout(body, 1);
    layout->addWidget(buildFooter());

    m_popup = new QMenu(this);
    m_popup->addAction("Refresh");  // the item has no action

    connect(cbDrive, qOverload<int>(&QComboBox::currentIndexChanged), this, &TfrmDiskInfo::cbDriveChange);
    connect(clbFlags, &QListWidget::itemClicked, this, &TfrmDiskInfo::clbFlagsClick);
    new app::PaletteFollower(*this, [this] {
        m_heading->setStyleSheet(app::headingBandStyle(palette(), m_heading->objectName()));
        m_footer->setStyleSheet(QStringLiteral("background: %1;").arg(app::footerBandColour(palette()).name()));
    });
}

QWidget* TfrmDiskInfo::buildHeader() {
    auto* header = new QFrame;
    header->setObjectName("Panel1");
    header->setFixedHeight(44);
    m_heading = header;
    auto* row = new QHBoxLayout(header);
    auto* title = new QLabel("Hard Disk Information");
    QFont font = title->font();
    font.setPointSize(14);
    font.setBold(true);
    title->setFont(font);
    row->addWidget(title);
    row->addStretch();
    auto* image = band("background: #24476b; border-radius: 4px;", 32, 32);
    image->setObjectName("Image2");
    row->addWidget(image);
    return header;
}

QLineEdit* TfrmDiskInfo::addField(QGridLayout* grid, int row, int column, const char* label, const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    grid->addWidget(new QLabel(label), row, column * 2);
    grid->addWidget(edit, row, column * 2 + 1);
    m_edits[name] = edit;
    return edit;
}

QWidget* TfrmDiskInfo::buildFields() {
    auto* panel = new QWidget;
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);

    cbDrive = new QComboBox;
    cbDrive->setObjectName("cbDrive");
    cbDrive->setEditable(false);  // the drive is chosen from the list only: typing is discarded
    grid->addWidget(new QLabel("Local Drive"), 0, 0);
    grid->addWidget(cbDrive, 0, 1);

    struct Field {
        const char* label;
        const char* name;
    };
    const Field left[] = {{"Drive Type", "info2"},          {"Bootable", "info3"},
                          {"Volume Serial", "Info1"},       {"Capacity", "info4"},
                          {"Device Name", "Edit1"},         {"Free", "info5"},
                          {"Bytes Per Sector", "info6"},    {"Sectors Per Cluster", "info7"},
                          {"Total Clusters", "info9"}};
    const Field right[] = {{"Free Clusters", "info8"},     {"Serial Number", "Edit11"},
                           {"Physical Dr No.", "Edit2"},   {"No. of Partitions", "Edit3"},
                           {"Partition No.", "Edit4"},     {"Partition Type", "Edit5"},
                           {"Start Offset", "Edit6"},      {"Partition Length", "Edit7"},
                           {"Hidden Sectors", "Edit8"}};
    int row = 1;
    for (const auto& f : left) addField(grid, row++, 0, f.label, f.name);
    row = 0;
    for (const auto& f : right) addField(grid, row++, 1, f.label, f.name);

    clbFlags = new QListWidget;
    clbFlags->setObjectName("clbFlags");
    clbFlags->setFlow(QListView::LeftToRight);
    clbFlags->setWrapping(true);
    clbFlags->setResizeMode(QListView::Adjust);
    clbFlags->setGridSize(QSize(kFlagCellWidth, 20));
    clbFlags->setFixedHeight(90);

    auto* layout = new QVBoxLayout(panel);
    layout->addLayout(grid);
    layout->addWidget(new QLabel("File System Flags"));
    layout->addWidget(clbFlags);
    return panel;
}

QWidget* TfrmDiskInfo::buildFooter() {
    auto* footer = new QFrame;
    footer->setFixedHeight(22);
    m_footer = footer;
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(8, 0, 8, 0);
    auto* address = new QLabel("https://zorvane.example.org");
    address->setObjectName("lblWeb");
    row->addWidget(address);
    row->addStretch();
    return footer;
}

void TfrmDiskInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_context.mainWindow) {
        const QRect main = m_context.mainWindow->frameGeometry();
        move(main.center() - rect().center());
    }
    FormShow();
}

void TfrmDiskInfo::contextMenuEvent(QContextMenuEvent* event) { m_popup->popup(event->globalPos()); }

void TfrmDiskInfo::FormShow() {
    m_view.formShow();
    m_filling = true;
    cbDrive->clear();  // showing the window again lists each drive once
    for (const auto& item : m_view.items()) cbDrive->addItem(qt(item));
    cbDrive->setCurrentIndex(m_view.currentIndex());
    m_filling = false;
    showFields();
}

void TfrmDiskInfo::cbDriveChange(int index) {
    if (m_filling || index < 0) return;
    m_view.chooseItem(index);
    showFields();
}

void TfrmDiskInfo::clbFlagsClick(QListWidgetItem*) {}

void TfrmDiskInfo::showFields() {
    const DiskInfoFields& f = m_view.fields();
    const std::pair<const char*, const std::string*> values[] = {
        {"info2", &f.driveType},        {"info3", &f.bootable},          {"Info1", &f.volumeSerial},
        {"info4", &f.capacity},         {"Edit1", &f.deviceName},        {"info5", &f.freeSpace},
        {"info6", &f.bytesPerSector},   {"info7", &f.sectorsPerCluster}, {"info9", &f.totalClusters},
        {"info8", &f.freeClusters},     {"Edit11", &f.ideSerial},        {"Edit2", &f.physicalDrive},
        {"Edit3", &f.partitionCount},   {"Edit4", &f.partitionNumber},   {"Edit5", &f.partitionType},
        {"Edit6", &f.startOffset},      {"Edit7", &f.partitionLength},   {"Edit8", &f.hiddenSectors},
    };
    for (const auto& [name, value] : values) m_edits.at(name)->setText(qt(*value));
    // The label may have been added to the chosen item.
    const int current = m_view.currentIndex();
    if (current >= 0 && current < cbDrive->count()) cbDrive->setItemText(current, qt(m_view.items()[size_t(current)]));

    clbFlags->clear();
    for (const auto& [name, present] : f.flags) {
        auto* item = new QListWidgetItem(qt(name), clbFlags);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(present ? Qt::Checked : Qt::Unchecked);
    }
    // Long flag names such as "Encrypted File System Support" widen every cell of the grid.
    app::fitGridToItems(*clbFlags, kFlagCellWidth);
}

}  // namespace zv::diskinfo::ui
