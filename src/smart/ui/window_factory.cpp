// Window factories of this subsystem.
#include "app/tool_windows.h"
#include "smart/ui/smart_window.h"

namespace zv::app {

QWidget* createSmartWindow(AppContext& context) { return new smart::ui::TfrmSmart(context, context.mainWindow); }

}  // namespace zv::app
