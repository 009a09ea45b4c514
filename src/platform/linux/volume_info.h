// What GetVolumeInformation answers for a Linux file system: the name Windows users know,
// the 32-bit serial, the capability flags.
#pragma once

#include "platform/api/win32.h"
#include "platform/linux/volume_probe.h"

#include <string>

namespace zv::lnx {

// The file system as probed (blkid type) or, without a probe, as mounted. "fuseblk" and
// other FUSE types on a block device take the probed type.
std::string effectiveFsType(const std::string& mountedType, const VolumeIdentity& identity);
// "NTFS", "FAT32", "FAT", "exFAT", "CDFS", "UDF", else the Linux name ("ext4", "tmpfs",
// "nfs4"; a FUSE type without its "fuse." prefix).
std::string windowsFsName(const std::string& fsType, const std::string& version);
// FAT and exFAT volume ids and the low half of the NTFS serial as Windows shows them; else
// the first 32 bits of the UUID (its first eight hexadecimal digits); 0 without a UUID.
win::DWORD volumeSerial(const std::string& fsType, const std::string& uuid);
// Capability flags by file system, plus FILE_READ_ONLY_VOLUME.
win::DWORD fileSystemFlags(const std::string& fsType, bool readOnly);

}  // namespace zv::lnx
