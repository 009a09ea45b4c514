// One file-system check on this machine, reported through the check library's callback
// protocol: progress percentages, output lines and the final "done" flag.
#pragma once

#include "platform/api/platform.h"
#include "platform/linux/checker_command.h"

#include <string>

namespace zv::lnx {

// Checks the volume on `devNode` whose Linux file-system type is `fsType`. Runs the whole
// check before it returns. A missing checker, missing rights or a checker that cannot
// start become an output line saying so, followed by "done" without success; the last
// output line of a finished run tells the outcome with the checker's exit status.
void runCheckSession(const std::string& devNode, const std::string& fsType, const CheckerOptions& options,
                     platform::FmifsCallback callback);

// The file-system type found on a device by its superblock ("" when unknown or unreadable).
std::string probeFsType(const std::string& devNode);

}  // namespace zv::lnx
