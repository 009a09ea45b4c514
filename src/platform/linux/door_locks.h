// The optical drives whose door this program locked ("Lock CD Door"), remembered for the
// login in the runtime folder.
//
// udev locks the door of a drive at every media change and unlocks it for an eject request,
// so an eject has to lift a lock the kernel reports; the user's own lock, though, must keep
// the disc in until "Unlock CD Door". The kernel cannot tell the two apart, hence the record.
#pragma once

#include <string>

namespace zv::lnx {

class LinuxContext;

// True when `node` ("/dev/sr0") was locked by this program and not unlocked since.
bool doorLockedByUser(LinuxContext& ctx, const std::string& node);

// Records a lock (true) or an unlock (false) of `node`. Nothing is kept without a runtime
// folder, and a folder that cannot be written keeps nothing either.
void rememberDoorLock(LinuxContext& ctx, const std::string& node, bool locked);

}  // namespace zv::lnx
