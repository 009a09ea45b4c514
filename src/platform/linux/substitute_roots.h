// What a substitute letter's folder is on this machine, once the other letters are known.
#pragma once

#include "platform/linux/letter_entry.h"
#include "platform/linux/mount_table.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace zv::lnx {

using LetterTable = std::array<std::optional<LetterEntry>, 26>;

// `root` followed by the components of a path of the letter's namespace ("\dir\..\file",
// either slash): "." and ".." resolved, never leading above `root`.
std::string pathBelowRoot(const std::string& root, const std::string& rest);

// The table row of substitute letter `letter` whose definitions (most recent first) are
// `definitions`: its folder resolved through `table` (a "D:\dir" folder) or the system root
// (a "/dir" folder), the type No Root Dir when the folder is not there. The folder is asked
// with a deadline when `mounts` place it on a network or FUSE volume.
LetterEntry substituteEntry(LinuxContext& ctx, const LetterTable& table, const std::vector<MountEntry>& mounts,
                            char letter, const std::vector<std::string>& definitions);

}  // namespace zv::lnx
