// The drive properties sheet: label, type, file system, used and free bytes, and a pie
// chart of used against free space.
#pragma once

#include "actions/drive_properties.h"

#include <QDialog>

namespace zv::app {

class UsagePie final : public QWidget {
    Q_OBJECT
public:
    UsagePie(uint64_t used, uint64_t free, QWidget* parent);
    QSize sizeHint() const override { return {120, 120}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    uint64_t m_used;
    uint64_t m_free;
};

class DrivePropertiesDialog final : public QDialog {
    Q_OBJECT
public:
    DrivePropertiesDialog(const actions::DriveProperties& properties, const platform::LocaleSeparators& locale,
                          QWidget* parent);

    static QColor usedColour() { return QColor(38, 84, 196); }
    static QColor freeColour() { return QColor(200, 80, 192); }
};

}  // namespace zv::app
