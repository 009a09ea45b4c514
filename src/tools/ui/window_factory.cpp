// Window factories of this subsystem; null while a window is not built.
#include "app/tool_windows.h"

namespace zv::app {

QWidget* createClusterFiguresWindow(AppContext&) { return nullptr; }
QWidget* createVolumesWindow(AppContext&) { return nullptr; }
QWidget* createBenchmarkWindow(AppContext&) { return nullptr; }
QWidget* createUsbDrivesWindow(AppContext&) { return nullptr; }

}  // namespace zv::app
