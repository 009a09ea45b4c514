#include "app/picture_strip.h"

#include "app/link_label.h"

#include <QHBoxLayout>
#include <QPainter>

namespace zv::app {

PictureStrip::PictureStrip(QWidget* parent)
    : QWidget(parent), m_picture(QStringLiteral(":/zorvane/strip.png")), m_name(new LinkLabel(QStringLiteral("Zorvane"), this)) {
    setObjectName(QStringLiteral("PictureStrip"));
    setFixedHeight(27);
    m_name->setObjectName(QStringLiteral("Label2"));
    m_name->setFont(namedFont(QStringLiteral("Georgia"), 19, true));
    m_name->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 0, 8, 0);
    layout->addWidget(m_name);
    layout->addStretch();
}

void PictureStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(rect(), m_picture);
}

}  // namespace zv::app
