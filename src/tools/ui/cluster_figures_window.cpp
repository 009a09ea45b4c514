#include "tools/ui/cluster_figures_window.h"

#include "app/column_fitter.h"
#include "tools/cluster_figures.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace zv::tools {

TForm6::TForm6(app::AppContext& context) : QDialog(context.mainWindow, Qt::Window), m_context(context) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Cluster Figures"));
    setModal(false);

    auto* top = new QFrame(this);
    top->setFrameShape(QFrame::StyledPanel);
    auto* button1 = new QPushButton(QStringLiteral("Refresh"), top);
    button1->setToolTip(QStringLiteral("Read the cluster figures of every drive again."));
    button1->setObjectName(QStringLiteral("Button1"));
    auto* topLayout = new QHBoxLayout(top);
    topLayout->addWidget(button1);
    topLayout->addStretch(1);

    m_listView1 = new QTreeWidget(this);
    m_listView1->setObjectName(QStringLiteral("ListView1"));
    m_listView1->setRootIsDecorated(false);
    m_listView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList captions;
    for (const char* caption : kClusterFiguresCaptions) captions << QString::fromLatin1(caption);
    m_listView1->setHeaderLabels(captions);
    m_fitter = new app::ColumnFitter(*m_listView1, QList<int>(captions.size(), 100));
    m_fitter->fit();

    auto* bottom = new QFrame(this);
    bottom->setFrameShape(QFrame::StyledPanel);
    bottom->setMinimumHeight(24);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(top);
    layout->addWidget(m_listView1, 1);
    layout->addWidget(bottom);
    resize(540, 300);

    connect(button1, &QPushButton::clicked, this, &TForm6::Button1Click);
}

void TForm6::Button1Click() {
    m_listView1->clear();
    for (const ClusterFiguresRow& row : readAllClusterFigures(m_context.platform)) {
        auto* item = new QTreeWidgetItem(m_listView1);
        item->setText(0, QString::fromStdString(row.Drive));
        for (int i = 0; i < 4; ++i) {
            item->setText(i + 1, QString::fromStdString(row.SubItems[i]));
            item->setTextAlignment(i + 1, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    m_fitter->fit();
}

}  // namespace zv::tools
