// Window factories of this subsystem.
#include "app/tool_windows.h"
#include "diskinfo/ui/disk_info_window.h"

namespace zv::app {

QWidget* createDiskInfoWindow(AppContext& context) { return new diskinfo::ui::TfrmDiskInfo(context, context.mainWindow); }

}  // namespace zv::app
