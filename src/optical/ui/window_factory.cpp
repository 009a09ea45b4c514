// Window factories of this subsystem.
#include "app/tool_windows.h"
#include "optical/ui/optical_info_window.h"

namespace zv::app {

QWidget* createOpticalInfoWindow(AppContext& context) {
    return new optical::ui::TfrmOpticalInfo(context, context.mainWindow);
}

}  // namespace zv::app
