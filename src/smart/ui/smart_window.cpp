#include "smart/ui/smart_window.h"

#include "app/column_fitter.h"
#include "app/jpeg_picture.h"
#include "app/palette_follower.h"
#include "app/theme_colours.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

// The picture lives in a resource of the static window library: it is registered by hand.
static void initSmartResources() { Q_INIT_RESOURCE(smart); }

namespace zv::smart::ui {

namespace {

QString qt(const std::string& text) { return QString::fromStdString(text); }

struct Column {
    int width;
    bool right;
};
// Attribute, Name, State, Current, Worst, Threshold, Raw Value, Fre-Fail, Events, Error Rate.
constexpr Column kColumns[10] = {{52, false}, {110, false}, {40, false}, {48, true}, {45, true},
                                 {60, true},  {80, true},   {50, false}, {50, false}, {70, false}};

}  // namespace

TfrmSmart::TfrmSmart(app::AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_context(context),
      m_view(context.platform) {
    setObjectName("frmSmart");
    setWindowTitle("SMART");
    setModal(false);
    setFixedSize(633, 446);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    cbdrive = new QComboBox;
    cbdrive->setObjectName("cbdrive");
    cbdrive->setEditable(true);
    grid->addWidget(new QLabel("Local Drive"), 0, 0);
    grid->addWidget(cbdrive, 0, 1);
    const std::pair<const char*, const char*> fields[] = {
        {"Physical Drive No.", "Edit7"}, {"SMART Enabled", "Edit1"},     {"Temperature", "Edit2"},
        {"Model Number", "Edit3"},       {"Serial Number", "Edit4"},     {"Firmware Revision", "Edit5"},
        {"Size in bytes", "Edit6"},
    };
    int row = 1;
    for (const auto& [label, name] : fields) {
        auto* edit = new QLineEdit;
        edit->setObjectName(name);
        edit->setReadOnly(true);
        grid->addWidget(new QLabel(label), row, 0);
        grid->addWidget(edit, row++, 1);
        m_edits[name] = edit;
    }
    // Why the fields stay empty when the disk cannot be read.
    m_status = new QLabel;
    m_status->setObjectName("lblStatus");
    m_status->setWordWrap(true);
    grid->addWidget(m_status, row, 0, 1, 2);

    auto* picture = new QLabel;
    picture->setObjectName("Image1");
    initSmartResources();
    const QImage image = app::loadJpegPicture(":/smart/smart_picture.jpg");
    if (!image.isNull()) picture->setPixmap(QPixmap::fromImage(image).scaledToHeight(200, Qt::SmoothTransformation));
    auto* upper = new QHBoxLayout;
    upper->addLayout(grid, 1);
    upper->addWidget(picture, 0, Qt::AlignTop);

    ListView = new QTreeWidget;
    ListView->setObjectName("ListView");
    ListView->setRootIsDecorated(false);
    ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView->setAllColumnsShowFocus(true);
    QStringList headers;
    for (const char* title : kSmartColumns) headers << title;
    ListView->setHeaderLabels(headers);
    ListView->header()->setStretchLastSection(false);
    QList<int> designedWidths;
    for (int c = 0; c < 10; ++c) {
        designedWidths << kColumns[c].width;
        ListView->headerItem()->setTextAlignment(c, kColumns[c].right ? Qt::AlignRight | Qt::AlignVCenter
                                                                      : Qt::AlignLeft | Qt::AlignVCenter);
    }

    m_fitter = new app::ColumnFitter(*ListView, designedWidths);
    m_fitter->fit();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(buildHeader());
    layout->addLayout(upper);
    layout->addWidget(ListView, 1);

    connect(cbdrive, &QComboBox::currentTextChanged, this, &TfrmSmart::cbdriveChange);
    new app::PaletteFollower(*this, [this] { applyThemeColours(); });
}

void TfrmSmart::applyThemeColours() {
    const QPalette colours = palette();
    m_status->setStyleSheet(QStringLiteral("color: %1;").arg(app::warningTextColour(colours).name()));
    ListView->setStyleSheet(QStringLiteral("QTreeView::item { border-right: 1px solid %1; border-bottom: 1px solid %1; }")
                                .arg(app::gridLineColour(colours).name()));
    m_heading->setStyleSheet(app::headingBandStyle(colours, m_heading->objectName()));
}

QWidget* TfrmSmart::buildHeader() {
    auto* header = new QFrame;
    header->setObjectName("Panel1");
    header->setFixedHeight(48);
    m_heading = header;
    auto* column = new QVBoxLayout(header);
    column->setSpacing(0);
    auto* title = new QLabel("S.M.A.R.T. Information");
    QFont font = title->font();
    font.setPointSize(14);
    font.setBold(true);
    title->setFont(font);
    column->addWidget(title);
    column->addWidget(new QLabel("(for SMART enabled hard disks)"));
    return header;
}

void TfrmSmart::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_context.mainWindow) {
        const QRect main = m_context.mainWindow->frameGeometry();
        move(main.center() - rect().center());
    }
    FormShow();
}

void TfrmSmart::FormShow() {
    m_view.formShow();
    m_filling = true;
    cbdrive->clear();  // showing the window again lists each drive once
    for (const auto& item : m_view.items()) cbdrive->addItem(qt(item));
    cbdrive->setCurrentIndex(m_view.currentIndex());
    m_filling = false;
    showFields();
}

void TfrmSmart::cbdriveChange(const QString& text) {
    if (m_filling) return;
    m_view.setBoxText(text.toStdString());
    showFields();
}

void TfrmSmart::showFields() {
    const SmartFields& f = m_view.fields();
    const std::pair<const char*, const std::string*> values[] = {
        {"Edit7", &f.physicalDrive}, {"Edit1", &f.verdict},  {"Edit2", &f.temperature}, {"Edit3", &f.model},
        {"Edit4", &f.serial},        {"Edit5", &f.firmware}, {"Edit6", &f.size},
    };
    for (const auto& [name, value] : values) m_edits.at(name)->setText(qt(*value));
    m_status->setText(qt(f.status));
    ListView->clear();
    for (const SmartRow& row : f.rows) {
        auto* item = new QTreeWidgetItem(ListView);
        for (int c = 0; c < 10; ++c) {
            item->setText(c, qt(row[size_t(c)]));
            item->setTextAlignment(c, kColumns[c].right ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    m_fitter->fit();
    widenToList();
}

// The window keeps its designed size unless the fitted columns need more room: then it grows
// (within the screen) so that every column is in view without scrolling. It never shrinks
// while open, so that choosing another drive does not make it jump back and forth.
void TfrmSmart::widenToList() {
    // Room for a vertical scroll bar that a longer list may still bring.
    const int scrollBar = ListView->verticalScrollBar()->isVisible()
                              ? 0
                              : style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, ListView->verticalScrollBar());
    int wanted = width() + ListView->header()->length() - ListView->viewport()->width() + scrollBar;
    if (const QScreen* shown = screen()) wanted = std::min(wanted, shown->availableGeometry().width());
    if (wanted <= width()) return;
    setFixedWidth(wanted);
    layout()->activate();  // the list takes the new room now, not at the next event round
}

}  // namespace zv::smart::ui
