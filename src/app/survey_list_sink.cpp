#include "app/survey_list_sink.h"

#include "app/drive_list_view.h"

#include <QLabel>
#include <QScrollBar>

namespace zv::app {

void SurveyListSinkImpl::showStatus() {
    m_status.show();
    // Painted now: the survey blocks the window until it ends.
    m_status.repaint();
}

void SurveyListSinkImpl::hideStatus() { m_status.hide(); }

int SurveyListSinkImpl::selectedIndex() const { return m_list.selectedRow(); }

int SurveyListSinkImpl::horizontalScroll() const { return m_list.horizontalScrollBar()->value(); }

void SurveyListSinkImpl::beginUpdate() {
    if (m_updating) return;
    m_updating = true;
    m_list.setUpdatesEnabled(false);
}

void SurveyListSinkImpl::endUpdate() {
    if (!m_updating) return;
    m_updating = false;
    m_list.fitColumns();
    m_list.setUpdatesEnabled(true);
}

void SurveyListSinkImpl::clearRows() { m_list.clear(); }

void SurveyListSinkImpl::addRow(const survey::DriveRecord& record) { m_list.appendRecord(record); }

void SurveyListSinkImpl::removeLastRow() {
    if (const int count = m_list.topLevelItemCount(); count > 0) delete m_list.takeTopLevelItem(count - 1);
}

int SurveyListSinkImpl::rowCount() const { return m_list.topLevelItemCount(); }

void SurveyListSinkImpl::selectRow(int index) { m_list.selectRowAt(index); }

void SurveyListSinkImpl::setHorizontalScroll(int position) {
    // The rows were just added inside the batch update: lay the view out first, so that the
    // scroll bar's range covers the position again.
    m_list.doItemsLayout();
    m_list.horizontalScrollBar()->setValue(position);
}

}  // namespace zv::app
