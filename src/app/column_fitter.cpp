#include "app/column_fitter.h"

#include "app/column_fit.h"

#include <QHeaderView>
#include <QTreeView>

#include <algorithm>

namespace zv::app {

ColumnFitter::ColumnFitter(QTreeView& view, QList<int> minimumWidths)
    : QObject(&view), m_view(view), m_minimumWidths(std::move(minimumWidths)) {
    connect(view.header(), &QHeaderView::sectionResized, this, [this](int column, int, int) {
        if (!m_fitting) m_userSized.insert(column);
    });
    for (int column = 0; column < m_minimumWidths.size(); ++column) {
        m_fitting = true;
        m_view.setColumnWidth(column, m_minimumWidths[column]);
        m_fitting = false;
    }
}

void ColumnFitter::fit() {
    const QAbstractItemModel* model = m_view.model();
    if (!model) return;
    m_fitting = true;
    for (int column = 0; column < model->columnCount(); ++column) {
        if (m_userSized.contains(column)) continue;
        const int minimum = column < m_minimumWidths.size() ? m_minimumWidths[column] : 0;
        m_view.setColumnWidth(column, std::max(minimum, columnWidthForContents(m_view, column)));
    }
    m_fitting = false;
}

}  // namespace zv::app
