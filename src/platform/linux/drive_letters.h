// The letter table: which volume, drive, network connection or folder each drive letter
// stands for on this machine.
//
// Rules (docs/drive-letters.md explains them for users):
//  - C: is the file system mounted at "/". A: and B: belong to floppy drives only.
//  - Substitute letters keep the letters they were defined on.
//  - Every other volume gets the letter it had before (remembered per volume in the user's
//    configuration folder), when that letter is free, else the lowest free letter from D:.
//  - Volumes: mounted file systems on block devices, network file systems, RAM file systems
//    a user mounted, optical drives and removable drives (mounted or not), and network
//    entries of fstab that are not mounted (remembered connections).
//  - The table is rebuilt only when the mount table, the list of block devices, fstab or the
//    substitute table changed.
//
// Each concern has its own file: volume_candidates (which volumes), letter_assignment (which
// letters), mount_watch (noticing changes), letter_memory (the letters file),
// substitute_roots (substitute letters in the table); this file keeps the table itself.
#pragma once

#include "platform/linux/letter_assignment.h"
#include "platform/linux/letter_entry.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/mount_table.h"
#include "platform/linux/mount_watch.h"
#include "platform/linux/storage_property.h"
#include "platform/linux/volume_candidates.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zv::lnx {

struct LinuxContext::LetterState {
    std::array<std::optional<LetterEntry>, 26> table;
    bool built = false;
    MountWatch mountWatch;
    std::string fstabStamp;
    std::string substStamp;
    std::string blockNames;
    uint64_t lastBlockCheckNs = 0;
    uint64_t lastCheckNs = 0;     // when the tables were last compared with the system
    std::vector<MountEntry> mounts;
    // Identification of whole disks by sysfs directory; it holds while the set of block
    // devices stays the same, so it is dropped at every rebuild.
    std::map<std::string, StorageFacts> storageFacts;
    std::map<char, std::string> remembered;
    bool rememberedLoaded = false;
};

// The entry of a letter after a refresh when the tables changed; null when the letter
// stands for nothing.
// Within a short quiet time after a check the tables are taken as they are: one survey
// asks of every letter a dozen times.
const LetterEntry* letterEntry(LinuxContext& ctx, char letter);
// Compares the tables with the system now (a survey's first question).
void checkLettersNow(LinuxContext& ctx);
// Rebuilds the table at the next query (after a substitute or a connection changed).
void invalidateLetters(LinuxContext& ctx);
// The current mount table (refreshed like the letter table).
const std::vector<MountEntry>& currentMounts(LinuxContext& ctx);
// Remembers `letter` for the volume stored under `key`, so that the next rebuild gives it
// that letter (a network connection made for a chosen letter).
void rememberLetter(LinuxContext& ctx, const std::string& key, char letter);

// The folder a path of the letter's namespace ("X:\dir\file", any case, either slash)
// stands for; nullopt when the letter has no root folder. "." and ".." are resolved and
// never lead above the letter's root.
std::optional<std::string> hostPathFor(LinuxContext& ctx, const std::string& windowsPath);

}  // namespace zv::lnx
