// The tool windows of the program, created once at start in this order (after the main
// window, the About box, the substitute dialog, the settings dialog and the empty
// "S.M.A.R.T. Info" form). Each factory lives beside its window; a factory returns null
// while its window is not built, and the commands that show it are then disabled.
#pragma once

#include "app/app_context.h"

class QWidget;

namespace zv::app {

QWidget* createClusterFiguresWindow(AppContext& context);  // TForm6         (tools/ui)
QWidget* createVolumesWindow(AppContext& context);         // TfrmVolumes    (tools/ui)
QWidget* createBenchmarkWindow(AppContext& context);       // TfrmBenchMark  (tools/ui)
QWidget* createCheckDiskWindow(AppContext& context);       // TfrmCheckDisk  (chkdsk/ui)
QWidget* createOpticalInfoWindow(AppContext& context);     // TfrmOpticalInfo (optical/ui)
QWidget* createSmartWindow(AppContext& context);           // TfrmSmart      (smart/ui)
QWidget* createDiskInfoWindow(AppContext& context);        // TfrmDiskInfo   (diskinfo/ui)
QWidget* createUsbDrivesWindow(AppContext& context);       // TfrmUSBDrives  (tools/ui)

}  // namespace zv::app
