// What every window of the program shares: the platform, the user-interface services and
// the main window (for centring and ownership).
#pragma once

#include "common/ui_services.h"
#include "platform/api/platform.h"

#include <functional>
#include <string>

class QWidget;

namespace zv::app {

struct AppContext {
    platform::Platform& platform;
    IMessages& messages;
    IEventPump& pump;
    QWidget* mainWindow = nullptr;
    // Shows the application error box (title, error icon, OK, full-stop rule).
    std::function<void(const std::string&)> showError;
};

}  // namespace zv::app
