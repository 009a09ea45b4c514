// The cluster figures window (TForm6): one row per logical drive with its sectors per
// cluster, bytes per sector, free and total clusters.
#pragma once

#include "app/app_context.h"

#include <QDialog>

class QTreeWidget;

namespace zv::app {
class ColumnFitter;
}

namespace zv::tools {

class TForm6 final : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(app::AppContext& context);

private:
    void Button1Click();

    app::AppContext& m_context;
    QTreeWidget* m_listView1;
    app::ColumnFitter* m_fitter = nullptr;
};

}  // namespace zv::tools
