#include "app/link_label.h"

#include <QMouseEvent>

namespace zv::app {

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    QLabel::mouseReleaseEvent(event);
}

QFont namedFont(const QString& family, int pixelSize, bool serif) {
    QFont font(family);
    font.setStyleHint(serif ? QFont::Serif : QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace zv::app
