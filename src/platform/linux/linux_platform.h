// The real machine: the default backend.
#pragma once

#include "platform/api/platform.h"
#include "platform/linux/linux_context.h"

#include <memory>

namespace zv::lnx {

// Options for this user and machine: system root "/", $XDG_RUNTIME_DIR/zorvane,
// $XDG_CONFIG_HOME/zorvane (or ~/.config/zorvane), the real system calls.
LinuxOptions defaultLinuxOptions();

std::unique_ptr<platform::Platform> makeLinuxPlatform(LinuxOptions options);

}  // namespace zv::lnx
