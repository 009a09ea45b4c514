// One row of the letter table, and a volume before it has a letter.
#pragma once

#include "platform/linux/block_devices.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/volume_probe.h"

#include <optional>
#include <string>

namespace zv::lnx {

struct LetterEntry {
    DriveTarget target;
    VolumeIdentity identity;            // file system on the volume (known when probed)
    std::optional<BlockDevice> device;  // the block device of the volume or drive
    bool readOnly = false;
    bool remembered = false;            // an fstab network entry that is not mounted
    std::string key;                    // what the remembered letter is stored under
    // The folder that "X:\" stands for on this machine (mount point or substitute folder,
    // as the system names it); "" when the letter has no root folder now.
    std::string hostRoot;
};

// A candidate before letters are given out.
struct VolumeCandidate {
    LetterEntry entry;
    bool isRoot = false;
    int group = 0;          // order of assignment: fixed disks, removable, optical, loop ...
    std::string sortName;   // natural order inside the group
};

}  // namespace zv::lnx
