// The "Volumes" tool window: the system's volume names, read on "Refresh".
#pragma once

#include "app/app_context.h"

#include <QDialog>

class QListWidget;

namespace zv::tools {

class TfrmVolumes final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVolumes(app::AppContext& context);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Button1Click();

    app::AppContext& m_context;
    QListWidget* m_listBox1;
};

}  // namespace zv::tools
