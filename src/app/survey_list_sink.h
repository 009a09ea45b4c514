// The window steps around a survey: the status label shown and painted at once, the list
// filled inside a batch update with drawing locked, the selection and the horizontal scroll
// position handed back to the survey.
#pragma once

#include "survey/drive_survey.h"

class QLabel;

namespace zv::app {

class DriveListView;

class SurveyListSinkImpl final : public survey::SurveyListSink {
public:
    SurveyListSinkImpl(DriveListView& list, QLabel& status) : m_list(list), m_status(status) {}

    void showStatus() override;
    void hideStatus() override;
    int selectedIndex() const override;
    int horizontalScroll() const override;
    void beginUpdate() override;
    void endUpdate() override;
    void clearRows() override;
    void addRow(const survey::DriveRecord& record) override;
    void removeLastRow() override;
    int rowCount() const override;
    void selectRow(int index) override;
    void setHorizontalScroll(int position) override;

private:
    DriveListView& m_list;
    QLabel& m_status;
    bool m_updating = false;
};

}  // namespace zv::app
