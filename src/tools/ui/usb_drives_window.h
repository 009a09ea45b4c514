// The "USB Drives" tool window: the management service's disk drives, with the details of
// every USB disk appended to a text box on each click.
#pragma once

#include "app/app_context.h"

#include <QDialog>

class QPlainTextEdit;

namespace zv::tools {

class TfrmUSBDrives final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmUSBDrives(app::AppContext& context);

private:
    void Button1Click();

    app::AppContext& m_context;
    QPlainTextEdit* m_memo1;
};

}  // namespace zv::tools
