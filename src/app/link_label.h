// A label that opens a web page: the hand cursor while the mouse is over it, a click runs
// its command.
#pragma once

#include <QLabel>

namespace zv::app {

class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A font by name at a pixel size; where the face is not installed the nearest one of the
// same kind stands in.
QFont namedFont(const QString& family, int pixelSize, bool serif);

}  // namespace zv::app
