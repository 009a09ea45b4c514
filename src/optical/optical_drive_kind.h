// The kind of an optical drive, for the "Additional Info" column of CD/DVD rows.
#pragma once

#include "common/ui_services.h"
#include "platform/api/platform.h"

#include <string>

namespace zv::optical {

// "DVD-RW", "DVD-R", "CD-RW", "CD-R" or empty. Never raises. Lets pending messages run
// through `pump` while it waits for the drive.
std::string QueryOpticalDriveKind(platform::Platform& platform, IEventPump& pump, char letter);

}  // namespace zv::optical
