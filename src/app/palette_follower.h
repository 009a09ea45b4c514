// Calls back when a window's palette changes (the desktop switched between a light and a dark
// colour scheme while the window is open), so that colours derived from the palette are made
// again.
#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace zv::app {

class PaletteFollower final : public QObject {
    Q_OBJECT
public:
    // Watches `window` (and is owned by it); `apply` runs once now and after every change.
    PaletteFollower(QWidget& window, std::function<void()> apply);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_apply;
    bool m_pending = false;
};

}  // namespace zv::app
