#include "chkdsk/ui/check_disk_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace zv::chkdsk {

namespace {

QCheckBox* optionBox(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(false);
    return box;
}

}  // namespace

TfrmCheckDisk::TfrmCheckDisk(app::AppContext& context)
    : QDialog(context.mainWindow, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_context(context),
      m_state(context.platform, context.pump) {
    setObjectName(QStringLiteral("frmCheckDisk"));
    setWindowTitle(QStringLiteral("Check Disk"));
    setModal(false);

    auto* header = new QLabel(QStringLiteral("Check Disk "), this);
    header->setObjectName(QStringLiteral("Header"));
    QFont headerFont = header->font();
    headerFont.setBold(true);
    headerFont.setPointSize(headerFont.pointSize() + 4);
    header->setFont(headerFont);

    auto* driveCaption = new QLabel(QStringLiteral("Select Drive"), this);
    m_cbdrive = new QComboBox(this);
    m_cbdrive->setObjectName(QStringLiteral("cbdrive"));
    m_cbdrive->setEditable(true);
    m_cbdrive->setMinimumWidth(180);

    m_button1 = new QPushButton(QStringLiteral("Check Disk"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_button2 = new QPushButton(QStringLiteral("Stop"), this);
    m_button2->setObjectName(QStringLiteral("Button2"));
    m_button2->setEnabled(false);
    m_unmountFix = new QPushButton(QStringLiteral("Unmount, Fix, Mount"), this);
    m_unmountFix->setObjectName(QStringLiteral("UnmountFix"));
    m_unmountFix->setToolTip(QStringLiteral("Unmount the volume, check and fix it, and mount it again where it was"));

    m_optCorrectErrors = optionBox("OptCorrectErrors", "Fix Erros", this);
    m_optVerbose = optionBox("OptVerbose", "Verbose (Display all filenames)", this);
    m_optCheckDirty = optionBox("OptCheckDirty", "Check only if Dirty", this);
    m_optScanDrive = optionBox("OptScanDrive", "Scan Drive", this);

    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("log"));
    m_log->setReadOnly(true);
    m_log->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont logFont = m_log->font();
    logFont.setBold(true);
    m_log->setFont(logFont);
    m_log->setStyleSheet(QStringLiteral("QPlainTextEdit { background: black; color: white; }"));

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);

    auto* controls = new QGridLayout;
    controls->addWidget(driveCaption, 0, 0);
    controls->addWidget(m_cbdrive, 1, 0);
    controls->addWidget(m_button1, 1, 1);
    controls->addWidget(m_button2, 1, 2);
    controls->addWidget(m_optCorrectErrors, 2, 0);
    controls->addWidget(m_optVerbose, 2, 1, 1, 2);
    controls->addWidget(m_optCheckDirty, 3, 0);
    controls->addWidget(m_optScanDrive, 3, 1, 1, 2);
    controls->addWidget(m_unmountFix, 4, 1, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addLayout(controls);
    layout->addWidget(m_log, 1);
    layout->addWidget(m_progressBar);
    setFixedSize(520, 420);

    m_state.onLogLine = [this](const std::string& line) { m_log->appendPlainText(QString::fromStdString(line)); };
    m_state.onProgress = [this](int percent) { m_progressBar->setValue(percent); };
    m_state.onRunningChanged = [this](bool running) {
        m_button1->setEnabled(!running);
        m_button2->setEnabled(running);
        m_unmountFix->setEnabled(!running);
    };
    connect(m_button1, &QPushButton::clicked, this, &TfrmCheckDisk::Button1Click);
    connect(m_button2, &QPushButton::clicked, this, &TfrmCheckDisk::Button2Click);
    connect(m_unmountFix, &QPushButton::clicked, this, &TfrmCheckDisk::UnmountFixClick);
}

TfrmCheckDisk::~TfrmCheckDisk() = default;

void TfrmCheckDisk::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_context.mainWindow) {
        const QRect owner = m_context.mainWindow->frameGeometry();
        move(owner.center() - rect().center());
    }
    FormShow();
}

void TfrmCheckDisk::FormShow() {
    m_state.FormShow();
    m_cbdrive->clear();
    for (const std::string& entry : m_state.driveEntries()) m_cbdrive->addItem(QString::fromStdString(entry));
    if (m_cbdrive->count() > 0) m_cbdrive->setCurrentIndex(0);
}

void TfrmCheckDisk::takeOptions() {
    m_state.OptCorrectErrors = m_optCorrectErrors->isChecked();
    m_state.OptVerbose = m_optVerbose->isChecked();
    m_state.OptCheckDirty = m_optCheckDirty->isChecked();
    m_state.OptScanDrive = m_optScanDrive->isChecked();
}

void TfrmCheckDisk::Button1Click() {
    takeOptions();
    m_state.Button1Click(m_cbdrive->currentText().toStdString());
}

void TfrmCheckDisk::UnmountFixClick() {
    const std::string driveText = m_cbdrive->currentText().toStdString();
    if (driveText.empty() || m_state.running()) return;
    // Unmounting is asked for by name: what is mounted where.
    const std::string mounts = m_state.MountedText(driveText);
    if (!mounts.empty() &&
        m_context.messages.messageDialog(driveText.substr(0, 1) + ": is mounted:\n" + mounts +
                                             "\n\nUnmount it, check and fix it, and mount it again?",
                                         DialogKind::Confirmation, DialogButtons::YesNo) != DialogResult::Yes)
        return;
    takeOptions();
    m_state.UnmountFixAndMount(driveText);
}

void TfrmCheckDisk::Button2Click() { m_state.Button2Click(); }

}  // namespace zv::chkdsk
