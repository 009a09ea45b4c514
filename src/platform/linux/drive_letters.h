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
#pragma once

#include "platform/linux/block_devices.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/mount_table.h"
#include "platform/linux/storage_property.h"
#include "platform/linux/volume_probe.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

// Candidates from the machine's tables (mount table, sysfs, fstab), substitutes excluded.
std::vector<VolumeCandidate> collectVolumes(const std::string& sysRoot, const std::vector<MountEntry>& mounts,
                                            const std::vector<MountEntry>& fstab);

// Gives out letters: `substitutes` holds the letters defined as substitutes; `remembered`
// maps a letter to the key of the volume that last had it and is updated for volumes that
// got a new letter. Returns the table indexed by letter - 'A'.
std::array<std::optional<LetterEntry>, 26> assignLetters(std::vector<VolumeCandidate> candidates,
                                                         const std::map<char, std::string>& substitutes,
                                                         std::map<char, std::string>& remembered);

struct LinuxContext::LetterState {
    std::array<std::optional<LetterEntry>, 26> table;
    bool built = false;
    int mountFd = -1;
    bool mountFdPollable = false;
    std::string mountBytes;       // last mount table read (for files that cannot be polled)
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

    ~LetterState();
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
