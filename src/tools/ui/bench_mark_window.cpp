#include "tools/ui/bench_mark_window.h"

#include "app/column_fitter.h"
#include "app/theme_colours.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zv::tools {

namespace {
enum Column { DriveColumn, TypeColumn, TestColumn, SpeedColumn, NotesColumn };
}

TfrmBenchMark::TfrmBenchMark(app::AppContext& context)
    : QDialog(context.mainWindow, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_context(context),
      m_state(context.platform, context.messages) {
    setObjectName(QStringLiteral("frmBenchMark"));
    setWindowTitle(QStringLiteral("Bench Mark"));
    setModal(false);

    auto* header = new QLabel(QStringLiteral("Drive Benchmark"), this);
    QFont headerFont = header->font();
    headerFont.setBold(true);
    headerFont.setPointSize(headerFont.pointSize() + 4);
    header->setFont(headerFont);

    m_button1 = new QPushButton(QStringLiteral("Benchmark"), this);
    m_button1->setObjectName(QStringLiteral("Button1"));
    m_checkBox1 = new QCheckBox(QStringLiteral("Local"), this);
    m_checkBox1->setObjectName(QStringLiteral("CheckBox1"));
    m_checkBox1->setChecked(true);
    m_checkBox3 = new QCheckBox(QStringLiteral("Removeable"), this);
    m_checkBox3->setObjectName(QStringLiteral("CheckBox3"));
    // CD/DVD drives cannot hold the temporary file; the box stays out of reach.
    m_checkBox2 = new QCheckBox(QStringLiteral("CD/DVD"), this);
    m_checkBox2->setObjectName(QStringLiteral("CheckBox2"));
    m_checkBox2->setVisible(false);

    m_sizeMiB = new QSpinBox(this);
    m_sizeMiB->setObjectName(QStringLiteral("FileSize"));
    m_sizeMiB->setRange(1, 4096);
    m_sizeMiB->setValue(static_cast<int>(kBenchmarkFileSize >> 20));
    m_sizeMiB->setSuffix(QStringLiteral(" MiB"));
    m_runs = new QSpinBox(this);
    m_runs->setObjectName(QStringLiteral("Runs"));
    m_runs->setRange(1, 100);
    m_runs->setValue(1);

    m_listView1 = new QTreeWidget(this);
    m_listView1->setObjectName(QStringLiteral("ListView1"));
    m_listView1->setRootIsDecorated(false);
    m_listView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listView1->setHeaderLabels({QStringLiteral("Drive"), QStringLiteral("Type"), QStringLiteral("Test"),
                                  QStringLiteral("Speed"), QStringLiteral("Notes")});
    m_fitter = new app::ColumnFitter(*m_listView1, {100, 80, 100, 90, 100});
    m_fitter->fit();
    m_listView1->headerItem()->setTextAlignment(SpeedColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_listView1->setStyleSheet(
        QStringLiteral("QTreeView::item { border: 1px solid %1; }").arg(app::gridLineColour(palette()).name()));

    m_listBox1 = new QListWidget(this);
    m_listBox1->setObjectName(QStringLiteral("ListBox1"));
    m_listBox1->setVisible(false);

    auto* options = new QHBoxLayout;
    options->addWidget(m_button1);
    options->addWidget(m_checkBox1);
    options->addWidget(m_checkBox3);
    options->addWidget(m_checkBox2);
    options->addStretch(1);
    options->addWidget(new QLabel(QStringLiteral("File size"), this));
    options->addWidget(m_sizeMiB);
    options->addWidget(new QLabel(QStringLiteral("Runs"), this));
    options->addWidget(m_runs);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addLayout(options);
    layout->addWidget(m_listView1, 1);
    layout->addWidget(m_listBox1);
    resize(640, 320);

    m_state.onBusy = [](bool busy) {
        if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
        else QApplication::restoreOverrideCursor();
    };
    m_state.onRowAdded = [this](const BenchmarkRow& row) { addRow(row); };
    connect(m_button1, &QPushButton::clicked, this, &TfrmBenchMark::Button1Click);
}

TfrmBenchMark::~TfrmBenchMark() = default;

void TfrmBenchMark::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_context.mainWindow) move(m_context.mainWindow->frameGeometry().center() - rect().center());
}

void TfrmBenchMark::Button1Click() {
    m_state.CheckBox1 = m_checkBox1->isChecked();
    m_state.CheckBox2 = m_checkBox2->isChecked();
    m_state.CheckBox3 = m_checkBox3->isChecked();
    m_state.fileSize = static_cast<uint64_t>(m_sizeMiB->value()) << 20;
    m_state.runs = m_runs->value();
    m_button1->setEnabled(false);
    m_state.Button1Click();
    m_listBox1->clear();
    for (const std::string& entry : m_state.workList()) m_listBox1->addItem(QString::fromStdString(entry));
    m_button1->setEnabled(true);
}

void TfrmBenchMark::addRow(const BenchmarkRow& row) {
    auto* item = new QTreeWidgetItem(m_listView1);
    item->setText(DriveColumn, QString::fromStdString(row.Drive));
    item->setText(TypeColumn, QString::fromStdString(row.Type));
    item->setText(TestColumn, QString::fromStdString(row.Test));
    item->setText(SpeedColumn, QString::fromStdString(row.Speed));
    item->setTextAlignment(SpeedColumn, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(NotesColumn, QString::fromStdString(row.Notes));
    m_fitter->fit();
}

}  // namespace zv::tools
