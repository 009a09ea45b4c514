#include "app/palette_follower.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

namespace zv::app {

PaletteFollower::PaletteFollower(QWidget& window, std::function<void()> apply)
    : QObject(&window), m_apply(std::move(apply)) {
    window.installEventFilter(this);
    m_apply();
}

bool PaletteFollower::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    // The window takes the new palette after the filter has seen the event: the colours are
    // made once the event is through, and once for a burst of changes.
    if ((type == QEvent::PaletteChange || type == QEvent::ApplicationPaletteChange) && !m_pending) {
        m_pending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_pending = false;
                m_apply();
            },
            Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zv::app
