// TfrmSettings: refresh interval, free-space warning and display choices. Shown only by a
// hidden item; nothing reads its values.
#pragma once

#include <QDialog>

namespace zv::app {

class TfrmSettings final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSettings(QWidget* parent);
};

}  // namespace zv::app
