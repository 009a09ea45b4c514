// Window factories of this subsystem.
#include "app/tool_windows.h"
#include "chkdsk/ui/check_disk_window.h"

namespace zv::app {

QWidget* createCheckDiskWindow(AppContext& context) { return new chkdsk::TfrmCheckDisk(context); }

}  // namespace zv::app
