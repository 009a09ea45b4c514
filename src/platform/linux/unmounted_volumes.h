// Volumes that are not mounted but hold a file system Zorvane can check and fix: they get
// letters and show as "Not mounted", so that a check with fixing can reach them.
#pragma once

#include "platform/linux/letter_entry.h"
#include "platform/linux/mount_table.h"

#include <string>
#include <vector>

namespace zv::lnx {

// Partitions, and whole disks without partitions, of fixed disks and loop images that no
// mount uses, that nothing else holds (device-mapper, RAID) and whose probed file system
// has a checker (ext2/3/4, XFS, btrfs, FAT, exFAT, NTFS). Swap, RAID members, LVM physical
// volumes and encrypted containers carry other types and so stay out. Each candidate's
// `group` is left 0: the caller sorts them in.
std::vector<VolumeCandidate> unmountedVolumes(const std::string& sysRoot, const std::vector<MountEntry>& mounts);

// True for the file-system types above.
bool isCheckableFsType(const std::string& fsType);

}  // namespace zv::lnx
