// `SetTrayDoor`: opens or closes one drive's tray through the multimedia control interface.
#pragma once

#include "platform/api/platform.h"

namespace zv::optical {

// Opens the "CDAudio" device with the element "X:", sends the door command and closes the
// device whatever the command returned. Silent: returns whether the device could be opened
// and accepted the door command, for callers that report it.
bool SetTrayDoor(platform::Platform& platform, char letter, bool open);

}  // namespace zv::optical
