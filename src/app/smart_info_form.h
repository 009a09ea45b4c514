// TForm5: an empty form captioned "S.M.A.R.T. Info", created at start and shown by nothing.
#pragma once

#include <QWidget>

namespace zv::app {

class TForm5 final : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent) : QWidget(parent, Qt::Window) {
        setObjectName(QStringLiteral("Form5"));
        setWindowTitle(QStringLiteral("S.M.A.R.T. Info"));
    }
};

}  // namespace zv::app
