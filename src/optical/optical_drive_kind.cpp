// Not built yet: every optical drive reports no kind.
#include "optical/optical_drive_kind.h"

namespace zv::optical {

std::string QueryOpticalDriveKind(platform::Platform&, IEventPump&, char) { return {}; }

}  // namespace zv::optical
