// The file system behind a letter: the volume itself, or for a substitute letter the volume
// that holds its folder.
#pragma once

#include "platform/linux/drive_letters.h"
#include "platform/linux/remote_probe.h"

#include <optional>
#include <string>

namespace zv::lnx {

struct VolumeFacts {
    std::string statPath;    // where statvfs asks (under the system root)
    std::string fsType;      // as probed or mounted
    VolumeIdentity identity;
    bool readOnly = false;
    bool guarded = false;    // ask with a deadline (network and FUSE)
    unsigned bytesPerSector = 512;
};

// nullopt when the letter has no root folder now (no medium, not mounted, folder gone,
// remembered connection).
std::optional<VolumeFacts> volumeFacts(LinuxContext& ctx, const LetterEntry& entry);

// The mount that holds `path` (a path as the system names it, not under the system root).
const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, const std::string& path);

// The guard of `hostPath` (a path under the system root) from the mount holding it. Within
// the letter table's rebuild the mounts just read are passed; elsewhere the current ones.
PathGuard guardOf(LinuxContext& ctx, const std::vector<MountEntry>& mounts, const std::string& hostPath);
PathGuard guardOf(LinuxContext& ctx, const std::string& hostPath);

}  // namespace zv::lnx
