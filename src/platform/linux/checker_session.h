// One file-system check on this machine, reported through the check library's callback
// protocol: progress percentages, output lines and the final "done" flag.
#pragma once

#include "platform/api/platform.h"
#include "platform/linux/checker_command.h"

#include <string>

namespace zv::lnx {

// Checks the volume on `devNode` whose Linux file-system type is `fsType`, the way its
// mount state allows (found in the mount table). Runs the whole check before it returns,
// repeating the last progress percentage while the checker is silent so the receiver can
// ask to stop at any time. A missing checker, missing rights, a mounted volume that is to
// be fixed or a checker that cannot start become an output line saying so, followed by
// "done" without success. The last output line of a finished run tells the outcome with
// the checker's exit status; "done" follows with success for a clean volume, without
// for a failed, stopped or untrustworthy check, and not at all when problems were found.
void runCheckSession(const std::string& devNode, const std::string& fsType, const CheckerOptions& options,
                     platform::FmifsCallback callback);

// The file-system type found on a device by its superblock ("" when unknown or unreadable).
std::string probeFsType(const std::string& devNode);

}  // namespace zv::lnx
