// The "Bench Mark" tool window: times reading a temporary file on every drive of the
// chosen kinds and lists one result row per drive.
#pragma once

#include "app/app_context.h"
#include "tools/bench_mark_view_state.h"

#include <QDialog>

class QCheckBox;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace zv::app {
class ColumnFitter;
}

namespace zv::tools {

class TfrmBenchMark final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBenchMark(app::AppContext& context);
    ~TfrmBenchMark() override;

    BenchMarkViewState& state() { return m_state; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Button1Click();
    void addRow(const BenchmarkRow& row);

    app::AppContext& m_context;
    BenchMarkViewState m_state;
    QPushButton* m_button1;
    QCheckBox* m_checkBox1;
    QCheckBox* m_checkBox2;
    QCheckBox* m_checkBox3;
    QSpinBox* m_sizeMiB;
    QSpinBox* m_runs;
    QTreeWidget* m_listView1;
    app::ColumnFitter* m_fitter = nullptr;
    QListWidget* m_listBox1;
};

}  // namespace zv::tools
