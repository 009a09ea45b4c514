// "Let pending window messages run once" on the Qt event loop.
#pragma once

#include "common/ui_services.h"

#include <QCoreApplication>

namespace zv::app {

class QtEventPump final : public IEventPump {
public:
    void processPendingMessages() override { QCoreApplication::processEvents(); }
};

}  // namespace zv::app
