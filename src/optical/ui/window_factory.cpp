// Window factories of this subsystem; null while a window is not built.
#include "app/tool_windows.h"

namespace zv::app {

QWidget* createOpticalInfoWindow(AppContext&) { return nullptr; }

}  // namespace zv::app
