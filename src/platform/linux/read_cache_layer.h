// What can still answer reads of a volume from memory when a file on it is opened for
// unbuffered reading: a FUSE daemon reading through its own page cache, a network client,
// or a loop device whose backing file is read through the host's page cache.
#pragma once

#include "platform/linux/linux_context.h"

#include <string>

namespace zv::lnx {

// A short phrase naming that layer ("a FUSE file system (ntfs-3g)"), "" when reads of the
// volume reach its device.
std::string readCacheLayer(const DriveTarget& target);

}  // namespace zv::lnx
