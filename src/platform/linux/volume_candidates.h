// Which volumes and drives of the machine are candidates for a letter, and in which order
// they are considered (the rules are in drive_letters.h).
#pragma once

#include "platform/linux/letter_entry.h"
#include "platform/linux/mount_table.h"

#include <string>
#include <vector>

namespace zv::lnx {

// Candidates from the machine's tables (mount table, sysfs, fstab), substitutes excluded,
// sorted in the order letters are given out.
std::vector<VolumeCandidate> collectVolumes(const std::string& sysRoot, const std::vector<MountEntry>& mounts,
                                            const std::vector<MountEntry>& fstab);

}  // namespace zv::lnx
