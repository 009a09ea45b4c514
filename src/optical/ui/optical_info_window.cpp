#include "optical/ui/optical_info_window.h"

#include "app/jpeg_picture.h"
#include "app/link_label.h"
#include "app/theme_colours.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

// Resources compiled into a static library are registered by hand.
static void initOpticalResources() { Q_INIT_RESOURCE(optical); }

namespace zv::optical::ui {

namespace {

// Identification texts are bytes as the drive sends them; bytes above 127 are Latin-1.
QString fromDrive(const std::string& text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

QLineEdit* readOnlyEdit(const char* name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setReadOnly(true);
    return edit;
}

// The hourglass while a drive is read.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

TfrmOpticalInfo::TfrmOpticalInfo(app::AppContext& context, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_context(context),
      m_view(context.platform, context.messages, context.pump) {
    initOpticalResources();
    setObjectName("frmOpticalInfo");
    setWindowTitle("Optical Information");
    setModal(false);
    setFixedSize(560, 430);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildHeader());
    layout->addWidget(buildBody(), 1);

    // The menu is attached to no control: its item runs only through the show event.
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    QAction* refresh = PopupMenu1->addAction("Refresh");
    refresh->setObjectName("Refresh1");
    connect(refresh, &QAction::triggered, this, &TfrmOpticalInfo::Refresh1Click);

    connect(cbDrive, qOverload<int>(&QComboBox::activated), this, [this](int) {
        m_view.setDriveText(cbDrive->currentText().toStdString());
        cbDriveChange();
    });
    connect(cbDrive->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (m_filling) return;
        m_view.setDriveText(cbDrive->currentText().toStdString());
    });
    connect(Button1, &QPushButton::clicked, this, &TfrmOpticalInfo::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmOpticalInfo::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmOpticalInfo::Button3Click);
}

QWidget* TfrmOpticalInfo::buildHeader() {
    auto* header = new QFrame;
    header->setObjectName("Panel1");
    header->setFixedHeight(72);
    header->setStyleSheet(app::headingBandStyle(palette(), header->objectName()));
    auto* row = new QHBoxLayout(header);
    auto* title = new QLabel("Optical Information");
    title->setObjectName("Label1");
    title->setFont(app::namedFont("Times New Roman", 26, true));
    row->addWidget(title);
    row->addStretch();
    auto* picture = new QLabel;
    picture->setObjectName("Image1");
    const QImage image = app::loadJpegPicture(":/optical/optical_header.jpg");
    if (!image.isNull()) picture->setPixmap(QPixmap::fromImage(image.scaledToHeight(64, Qt::SmoothTransformation)));
    row->addWidget(picture);
    return header;
}

QWidget* TfrmOpticalInfo::buildBody() {
    auto* body = new QWidget;
    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(12, 10, 12, 8);

    grid->addWidget(new QLabel("Select Drive"), 0, 0);
    cbDrive = new QComboBox;
    cbDrive->setObjectName("cbDrive");
    cbDrive->setEditable(true);
    cbDrive->setInsertPolicy(QComboBox::NoInsert);
    grid->addWidget(cbDrive, 0, 1, 1, 3);

    Edit1 = readOnlyEdit("Edit1");
    Edit2 = readOnlyEdit("Edit2");
    Edit3 = readOnlyEdit("Edit3");
    Edit4 = readOnlyEdit("Edit4");
    grid->addWidget(new QLabel("Vendor"), 1, 0);
    grid->addWidget(Edit1, 1, 1);
    grid->addWidget(new QLabel("Product ID"), 1, 2);
    grid->addWidget(Edit2, 1, 3);
    grid->addWidget(new QLabel("Revision"), 2, 0);
    grid->addWidget(Edit3, 2, 1);
    grid->addWidget(new QLabel("Vendor Spec"), 2, 2);
    grid->addWidget(Edit4, 2, 3);

    grid->addWidget(new QLabel("Detected Drive Capabilities"), 3, 0, 1, 4);
    ListBox1 = new QListWidget;
    ListBox1->setObjectName("ListBox1");
    // Two columns: the lines run down the first column, then the second.
    ListBox1->setFlow(QListView::TopToBottom);
    ListBox1->setWrapping(true);
    ListBox1->setResizeMode(QListView::Adjust);
    ListBox1->setGridSize(QSize(260, 18));
    grid->addWidget(ListBox1, 4, 0, 1, 4);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton("Open Tray");
    Button1->setObjectName("Button1");
    Button2 = new QPushButton("Close Tray");
    Button2->setObjectName("Button2");
    Button3 = new QPushButton("Analyse Disk");
    Button3->setObjectName("Button3");
    auto* address = new app::LinkLabel("https://zorvane.example.org");
    address->setObjectName("Label7");
    buttons->addWidget(address);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    grid->addLayout(buttons, 5, 0, 1, 4);
    return body;
}

void TfrmOpticalInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TfrmOpticalInfo::FormShow() { Refresh1Click(); }

void TfrmOpticalInfo::Refresh1Click() {
    {
        BusyCursor busy;
        m_view.Refresh1Click();
    }
    showDriveBox();
    showFields();
}

void TfrmOpticalInfo::cbDriveChange() {
    {
        BusyCursor busy;
        m_view.cbDriveChange();
    }
    showFields();
}

void TfrmOpticalInfo::runCommand(void (OpticalInfoView::*action)()) {
    m_view.setDriveText(cbDrive->currentText().toStdString());
    try {
        (m_view.*action)();
    } catch (const CommandError& error) {
        m_context.showError(error.what());
    }
}

void TfrmOpticalInfo::Button1Click() { runCommand(&OpticalInfoView::Button1Click); }
void TfrmOpticalInfo::Button2Click() { runCommand(&OpticalInfoView::Button2Click); }
void TfrmOpticalInfo::Button3Click() { runCommand(&OpticalInfoView::Button3Click); }

void TfrmOpticalInfo::showDriveBox() {
    m_filling = true;
    cbDrive->clear();
    for (const std::string& entry : m_view.driveEntries()) cbDrive->addItem(QString::fromStdString(entry));
    cbDrive->setEditText(QString::fromStdString(m_view.driveText()));
    m_filling = false;
}

void TfrmOpticalInfo::showFields() {
    const IdentificationFields& fields = m_view.fields();
    Edit1->setText(fromDrive(fields.vendor));
    Edit2->setText(fromDrive(fields.productId));
    Edit3->setText(fromDrive(fields.revision));
    Edit4->setText(fromDrive(fields.vendorSpec));
    ListBox1->clear();
    for (const std::string& line : m_view.capabilityLines()) ListBox1->addItem(QString::fromStdString(line));
}

}  // namespace zv::optical::ui
