// Window factories of this subsystem.
#include "app/tool_windows.h"
#include "tools/ui/bench_mark_window.h"
#include "tools/ui/cluster_figures_window.h"
#include "tools/ui/usb_drives_window.h"
#include "tools/ui/volumes_window.h"

namespace zv::app {

QWidget* createClusterFiguresWindow(AppContext& context) { return new tools::TForm6(context); }
QWidget* createVolumesWindow(AppContext& context) { return new tools::TfrmVolumes(context); }
QWidget* createBenchmarkWindow(AppContext& context) { return new tools::TfrmBenchMark(context); }
QWidget* createUsbDrivesWindow(AppContext& context) { return new tools::TfrmUSBDrives(context); }

}  // namespace zv::app
