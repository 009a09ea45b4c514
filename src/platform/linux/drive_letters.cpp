// The letter table: candidates from the mount table and sysfs, letters given out by the
// rules in drive_letters.h, and the per-user memory of which volume had which letter.
#include "platform/linux/drive_letters.h"

#include "platform/linux/substitutes.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/udev_db.h"
#include "platform/linux/unc_names.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

constexpr long kProcSuperMagic = 0x9fa0;
constexpr uint64_t kBlockCheckIntervalNs = 1'000'000'000;
// Our own changes (substitutes, connections) invalidate the table at once; changes made by
// others show within this time, or at the next GetLogicalDrives.
constexpr uint64_t kQuietNs = 200'000'000;

enum Group { RootGroup, FixedGroup, RemovableGroup, OpticalGroup, LoopGroup, RamDeviceGroup, NetworkGroup,
             RamFsGroup, RememberedGroup };

bool under(const std::string& path, const char* place) {
    std::string p = place;
    return path == p || path.rfind(p + "/", 0) == 0;
}

// Places where the system and its containers mount their own RAM file systems.
bool isSystemPlace(const std::string& target) {
    static const char* const kTrees[] = {"/dev", "/run", "/sys", "/proc", "/var/run", "/var/lock", "/var/lib/docker", "/snap"};
    for (const char* place : kTrees)
        if (under(target, place)) return true;
    // The temporary folders themselves; a RAM disk mounted below them is the user's.
    return target == "/tmp" || target == "/var/tmp";
}

uint64_t monotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1'000'000'000u + uint64_t(ts.tv_nsec);
}

std::string fileStamp(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return "-";
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
           "." + std::to_string(st.st_mtim.tv_nsec);
}

UINT driveTypeOfDevice(const BlockDevice& device) {
    switch (device.kind) {
    case BlockKind::Optical: return DRIVE_CDROM;
    case BlockKind::Floppy: return DRIVE_REMOVABLE;
    case BlockKind::Ram: return DRIVE_RAMDISK;
    default: return device.removable ? DRIVE_REMOVABLE : DRIVE_FIXED;
    }
}

Group groupOfDevice(const BlockDevice& device) {
    switch (device.kind) {
    case BlockKind::Optical: return OpticalGroup;
    case BlockKind::Floppy: return RemovableGroup;
    case BlockKind::Ram: return RamDeviceGroup;
    case BlockKind::Loop: return LoopGroup;
    default: return device.removable ? RemovableGroup : FixedGroup;
    }
}

// A name for the drive that survives re-plugging: its serial, else its port, else its
// place in sysfs.
std::string deviceIdentity(const std::string& sysRoot, const BlockDevice& device) {
    std::string numbers = readAttribute(device.diskSysfsDir + "/dev");
    size_t colon = numbers.find(':');
    if (colon != std::string::npos) {
        UdevRecord record = readUdevRecord(sysRoot, unsigned(std::stoul(numbers.substr(0, colon))),
                                           unsigned(std::stoul(numbers.substr(colon + 1))));
        if (!record.value("ID_SERIAL").empty()) return "serial:" + record.value("ID_SERIAL");
        if (!record.value("ID_PATH").empty()) return "path:" + record.value("ID_PATH");
    }
    if (device.kind == BlockKind::Loop) {
        std::string backing = readAttribute(device.diskSysfsDir + "/loop/backing_file");
        if (!backing.empty()) return "loop:" + backing;
    }
    std::string dir = device.diskSysfsDir;
    size_t pos = dir.find("/sys/devices/");
    return "sysfs:" + (pos == std::string::npos ? device.diskName : dir.substr(pos + 13));
}

void fillFromDevice(LetterEntry& entry, const BlockDevice& device) {
    entry.device = device;
    entry.target.devNode = device.node();
    entry.target.diskNode = device.diskNode();
    entry.target.sysfsDevice = device.sysfsDir;
    entry.target.sysfsDisk = device.diskSysfsDir;
    entry.target.partitionNumber = device.partition;
}

std::string rootPrefix(const std::string& sysRoot) {
    std::string root = sysRoot;
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root == "/" ? std::string() : root;
}

std::string underRoot(const std::string& sysRoot, const std::string& absolute) {
    std::string prefix = rootPrefix(sysRoot);
    if (prefix.empty()) return absolute;
    return absolute == "/" ? prefix : prefix + absolute;
}

// Mount entries another mount hides: same mount point, and the other one is its child.
std::vector<const MountEntry*> visibleMounts(const std::vector<MountEntry>& mounts) {
    std::vector<const MountEntry*> visible;
    for (const auto& entry : mounts) {
        bool hidden = std::any_of(mounts.begin(), mounts.end(), [&](const MountEntry& other) {
            return &other != &entry && other.target == entry.target && other.parentId == entry.id;
        });
        if (!hidden) visible.push_back(&entry);
    }
    return visible;
}

// Of several mounts of one file system the one nearest its root and with the shortest path
// stands for the volume (as df chooses).
bool betterMount(const MountEntry& a, const MountEntry& b) {
    bool aRoot = a.root == "/", bRoot = b.root == "/";
    if (aRoot != bRoot) return aRoot;
    if (a.target.size() != b.target.size()) return a.target.size() < b.target.size();
    return a.target < b.target;
}

std::optional<VolumeCandidate> candidateForMount(const std::string& sysRoot, const MountEntry& mount) {
    VolumeCandidate candidate;
    LetterEntry& entry = candidate.entry;
    entry.target.mountPoint = mount.target;
    entry.target.source = mount.source;
    entry.target.fsType = mount.fsType;
    entry.readOnly = mount.readOnly;
    entry.hostRoot = underRoot(sysRoot, mount.target);
    candidate.isRoot = mount.target == "/";
    candidate.sortName = mount.target;

    std::optional<BlockDevice> device = blockDeviceByNumber(sysRoot, mount.major, mount.minor);
    if (!device) device = blockDeviceForSource(sysRoot, mount.source);

    if (device && !mount.netfs) {
        if (under(mount.target, "/proc") || under(mount.target, "/sys") || under(mount.target, "/dev") ||
            under(mount.target, "/snap"))
            return std::nullopt;
        if (mount.root != "/" && !candidate.isRoot) {
            // A file or folder of a volume bound elsewhere (containers bind /etc/hosts so).
            struct stat st;
            if (::stat(entry.hostRoot.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) return std::nullopt;
        }
        fillFromDevice(entry, *device);
        entry.target.driveType = driveTypeOfDevice(*device);
        entry.identity = probeVolume(sysRoot, device->node(), device->major, device->minor, mount.fsType);
        entry.key = entry.identity.uuid.empty() ? "dev:" + deviceIdentity(sysRoot, *device) +
                                                      "#" + std::to_string(device->partition)
                                                : "uuid:" + entry.identity.uuid;
        candidate.group = candidate.isRoot ? RootGroup : groupOfDevice(*device);
        candidate.sortName = device->name;
        return candidate;
    }
    if (mount.netfs) {
        entry.target.driveType = DRIVE_REMOTE;
        entry.target.network = true;
        entry.target.remoteName = uncNameForSource(mount.source, mount.fsType);
        entry.key = "net:" + mount.source;
        candidate.group = candidate.isRoot ? RootGroup : NetworkGroup;
        return candidate;
    }
    if (isRamFsType(mount.fsType)) {
        // A read-only RAM file system holds nothing a user put there: containers mask paths so.
        if (!candidate.isRoot && (mount.readOnly || isSystemPlace(mount.target))) return std::nullopt;
        entry.target.driveType = DRIVE_RAMDISK;
        entry.key = "ram:" + mount.target;
        candidate.group = candidate.isRoot ? RootGroup : RamFsGroup;
        return candidate;
    }
    if (candidate.isRoot) {  // overlay or another file system without a device at "/"
        entry.target.driveType = DRIVE_FIXED;
        candidate.group = RootGroup;
        return candidate;
    }
    return std::nullopt;
}

}  // namespace

std::vector<VolumeCandidate> collectVolumes(const std::string& sysRoot, const std::vector<MountEntry>& mounts,
                                            const std::vector<MountEntry>& fstab) {
    // One mount per file system (bind mounts and second mounts dropped).
    std::map<std::pair<unsigned, unsigned>, const MountEntry*> chosen;
    std::vector<const MountEntry*> order;
    for (const MountEntry* mount : visibleMounts(mounts)) {
        auto id = std::make_pair(mount->major, mount->minor);
        auto it = chosen.find(id);
        if (it == chosen.end()) {
            chosen[id] = mount;
            order.push_back(mount);
        } else if (betterMount(*mount, *it->second)) {
            std::replace(order.begin(), order.end(), it->second, mount);
            it->second = mount;
        }
    }
    std::vector<VolumeCandidate> candidates;
    for (const MountEntry* mount : order)
        if (auto candidate = candidateForMount(sysRoot, *mount)) candidates.push_back(std::move(*candidate));

    // Removable, optical and floppy drives have a letter with or without a mounted medium;
    // the drive's first mounted volume carries the drive's own name.
    for (const BlockDevice& disk : removableMediaDrives(sysRoot)) {
        std::string identity = "dev:" + deviceIdentity(sysRoot, disk);
        std::vector<VolumeCandidate*> mine;
        for (auto& candidate : candidates)
            if (candidate.entry.device && candidate.entry.device->diskName == disk.name) mine.push_back(&candidate);
        std::sort(mine.begin(), mine.end(), [](const VolumeCandidate* a, const VolumeCandidate* b) {
            return a->entry.device->partition < b->entry.device->partition;
        });
        if (mine.empty()) {
            VolumeCandidate candidate;
            fillFromDevice(candidate.entry, disk);
            candidate.entry.target.driveType = driveTypeOfDevice(disk);
            candidate.entry.key = identity;
            candidate.group = groupOfDevice(disk);
            candidate.sortName = disk.name;
            candidates.push_back(std::move(candidate));
            continue;
        }
        for (size_t i = 0; i < mine.size(); ++i)
            if (!mine[i]->isRoot)
                mine[i]->entry.key = i == 0 ? identity : identity + "#" + std::to_string(mine[i]->entry.device->partition);
    }

    // Network entries of fstab that are not mounted: remembered connections.
    std::set<std::string> mountedSources, mountedTargets;
    for (const auto& mount : mounts) {
        mountedSources.insert(mount.source);
        mountedTargets.insert(mount.target);
    }
    for (const auto& entry : fstab) {
        if (!(entry.netfs || entry.netdev) || entry.source.empty()) continue;
        if (mountedSources.count(entry.source) || mountedTargets.count(entry.target)) continue;
        VolumeCandidate candidate;
        candidate.entry.remembered = true;
        candidate.entry.target.driveType = DRIVE_NO_ROOT_DIR;
        candidate.entry.target.network = true;
        candidate.entry.target.networkUnavailable = true;
        candidate.entry.target.source = entry.source;
        candidate.entry.target.fsType = entry.fsType;
        candidate.entry.target.remoteName = uncNameForSource(entry.source, entry.fsType);
        candidate.entry.key = "net:" + entry.source;
        candidate.group = RememberedGroup;
        candidate.sortName = entry.target;
        candidates.push_back(std::move(candidate));
    }

    std::stable_sort(candidates.begin(), candidates.end(), [](const VolumeCandidate& a, const VolumeCandidate& b) {
        if (a.group != b.group) return a.group < b.group;
        return naturalLess(a.sortName, b.sortName);
    });
    return candidates;
}

std::array<std::optional<LetterEntry>, 26> assignLetters(std::vector<VolumeCandidate> candidates,
                                                         const std::map<char, std::string>& substitutes,
                                                         std::map<char, std::string>& remembered) {
    std::array<std::optional<LetterEntry>, 26> table;
    std::vector<bool> done(candidates.size(), false);
    auto give = [&](size_t i, char letter) {
        candidates[i].entry.target.letter = letter;
        table[size_t(letter - 'A')] = candidates[i].entry;
        done[i] = true;
    };
    auto isFree = [&](char letter) { return !table[size_t(letter - 'A')] && !substitutes.count(letter); };

    for (size_t i = 0; i < candidates.size(); ++i)
        if (candidates[i].isRoot && !table['C' - 'A']) give(i, 'C');

    // A: and B: for floppy drives, and for nothing else.
    char nextFloppy = 'A';
    for (size_t i = 0; i < candidates.size() && nextFloppy <= 'B'; ++i) {
        const auto& device = candidates[i].entry.device;
        if (done[i] || !device || device->kind != BlockKind::Floppy) continue;
        give(i, nextFloppy++);
    }

    // Remembered letters, when still free.
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (done[i] || candidates[i].entry.key.empty()) continue;
        for (const auto& [letter, key] : remembered) {
            if (key == candidates[i].entry.key && letter >= 'D' && letter <= 'Z' && isFree(letter)) {
                give(i, letter);
                break;
            }
        }
    }

    // The rest: the lowest free letter from D:.
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (done[i]) continue;
        for (char letter = 'D'; letter <= 'Z'; ++letter) {
            if (!isFree(letter)) continue;
            give(i, letter);
            const std::string& key = candidates[i].entry.key;
            if (!key.empty()) {
                for (auto it = remembered.begin(); it != remembered.end();)
                    it = it->second == key ? remembered.erase(it) : std::next(it);
                remembered[letter] = key;
            }
            break;
        }
    }
    return table;
}

// ---- the table's state and refresh ----

LinuxContext::LetterState::~LetterState() {
    if (mountFd >= 0) ::close(mountFd);
}

namespace {

std::string rememberedPath(LinuxContext& ctx) { return ctx.options().configDir + "/letters"; }

std::map<char, std::string> loadRemembered(LinuxContext& ctx) {
    std::map<char, std::string> remembered;
    auto data = readFileBytes(rememberedPath(ctx));
    if (!data) return remembered;
    size_t pos = 0;
    while (pos < data->size()) {
        size_t end = data->find('\n', pos);
        if (end == std::string::npos) end = data->size();
        std::string line = data->substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > 2 && line[0] >= 'A' && line[0] <= 'Z' && line[1] == '\t') remembered[line[0]] = line.substr(2);
    }
    return remembered;
}

void saveRemembered(LinuxContext& ctx, const std::map<char, std::string>& remembered) {
    if (ctx.options().configDir.empty()) return;
    makeFolders(ctx.options().configDir);
    std::string text = "# Drive letters last given to each volume (Zorvane)\n";
    for (const auto& [letter, key] : remembered) text += std::string(1, letter) + "\t" + key + "\n";
    std::string path = rememberedPath(ctx), temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return;
    bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) ::unlink(temp.c_str());
}

bool mountTableChanged(LinuxContext& ctx, LinuxContext::LetterState& state) {
    std::string path = ctx.sysPath("/proc/self/mountinfo");
    if (state.mountFd < 0) {
        state.mountFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct statfs fs;
        state.mountFdPollable = state.mountFd >= 0 && ::fstatfs(state.mountFd, &fs) == 0 && fs.f_type == kProcSuperMagic;
        if (state.mountFdPollable) {
            pollfd p{state.mountFd, POLLPRI, 0};
            ::poll(&p, 1, 0);  // takes the pending event: the table is read below anyway
            return true;
        }
    }
    if (state.mountFdPollable) {
        // The kernel flags every mount and unmount on an open mountinfo (proc(5)).
        pollfd p{state.mountFd, POLLPRI, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLPRI | POLLERR));
    }
    auto bytes = readFileBytes(path);
    std::string now = bytes ? *bytes : std::string();
    if (now == state.mountBytes && state.built) return false;
    state.mountBytes = now;
    return true;
}

std::string blockNames(LinuxContext& ctx) {
    std::string names;
    for (const auto& name : listDirectory(ctx.sysPath("/sys/block"))) names += name + " ";
    return names;
}

std::string resolveSubstituteRoot(LinuxContext& ctx, const std::array<std::optional<LetterEntry>, 26>& table,
                                  const std::string& folder) {
    if (folder.empty()) return {};
    if (folder[0] == '/') return ctx.sysPath(folder);
    if (folder.size() < 2 || folder[1] != ':') return {};
    char letter = char(std::toupper(static_cast<unsigned char>(folder[0])));
    if (letter < 'A' || letter > 'Z') return {};
    const auto& base = table[size_t(letter - 'A')];
    if (!base || base->hostRoot.empty() || base->target.substitute) return {};
    std::string rest = folder.substr(2);
    std::string path = base->hostRoot;
    std::string component;
    std::vector<std::string> parts;
    for (char c : rest + "\\") {
        if (c == '\\' || c == '/') {
            if (component == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!component.empty() && component != ".") {
                parts.push_back(component);
            }
            component.clear();
        } else {
            component.push_back(c);
        }
    }
    for (const auto& part : parts) path += (path.back() == '/' ? "" : "/") + part;
    return path;
}

void rebuild(LinuxContext& ctx, LinuxContext::LetterState& state) {
    state.mounts = readMountTable(ctx.sysPath("/proc/self/mountinfo"));
    std::vector<MountEntry> fstab = readFstab(ctx.sysPath("/etc/fstab"));
    std::vector<VolumeCandidate> candidates = collectVolumes(ctx.options().sysRoot, state.mounts, fstab);
    SubstDefinitions substitutes = loadSubstitutes(ctx);
    std::map<char, std::string> substLetters;
    for (const auto& [letter, definitions] : substitutes)
        if (!definitions.empty() && letter != 'C') substLetters[letter] = definitions.front();
    if (!state.rememberedLoaded) {
        state.remembered = loadRemembered(ctx);
        state.rememberedLoaded = true;
    }
    std::map<char, std::string> before = state.remembered;
    state.table = assignLetters(std::move(candidates), substLetters, state.remembered);
    for (const auto& [letter, top] : substLetters) {
        LetterEntry entry;
        entry.target.letter = letter;
        entry.target.substitute = true;
        entry.target.substPath = substituteFolder(substitutes[letter]);
        entry.hostRoot = resolveSubstituteRoot(ctx, state.table, entry.target.substPath);
        struct stat st;
        bool present = !entry.hostRoot.empty() && ::stat(entry.hostRoot.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        if (!present) entry.hostRoot.clear();
        entry.target.driveType = present ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
        state.table[size_t(letter - 'A')] = entry;
    }
    if (state.remembered != before) saveRemembered(ctx, state.remembered);
    state.built = true;
}

void refreshIfNeeded(LinuxContext& ctx, bool now = false) {
    auto& state = ctx.letters();
    const uint64_t started = monotonicNs();
    if (state.built && !now && started - state.lastCheckNs < kQuietNs) return;
    bool changed = mountTableChanged(ctx, state) || !state.built;
    std::string fstabStamp = fileStamp(ctx.sysPath("/etc/fstab"));
    std::string substStamp = substitutesStamp(ctx);
    if (fstabStamp != state.fstabStamp || substStamp != state.substStamp) changed = true;
    if (changed || started - state.lastBlockCheckNs >= kBlockCheckIntervalNs) {
        std::string names = blockNames(ctx);
        if (names != state.blockNames) changed = true;
        state.blockNames = names;
        state.lastBlockCheckNs = started;
    }
    state.lastCheckNs = started;
    if (!changed) return;
    rebuild(ctx, state);
    state.storageFacts.clear();
    state.fstabStamp = fstabStamp;
    state.substStamp = substitutesStamp(ctx);  // loading may have created the table
}

}  // namespace

const LetterEntry* letterEntry(LinuxContext& ctx, char letter) {
    letter = char(std::toupper(static_cast<unsigned char>(letter)));
    if (letter < 'A' || letter > 'Z') return nullptr;
    refreshIfNeeded(ctx);
    const auto& slot = ctx.letters().table[size_t(letter - 'A')];
    return slot ? &*slot : nullptr;
}

void checkLettersNow(LinuxContext& ctx) { refreshIfNeeded(ctx, true); }

void invalidateLetters(LinuxContext& ctx) { ctx.letters().built = false; }

const std::vector<MountEntry>& currentMounts(LinuxContext& ctx) {
    refreshIfNeeded(ctx);
    return ctx.letters().mounts;
}

void rememberLetter(LinuxContext& ctx, const std::string& key, char letter) {
    auto& state = ctx.letters();
    if (!state.rememberedLoaded) {
        state.remembered = loadRemembered(ctx);
        state.rememberedLoaded = true;
    }
    for (auto it = state.remembered.begin(); it != state.remembered.end();)
        it = it->second == key ? state.remembered.erase(it) : std::next(it);
    state.remembered[letter] = key;
    saveRemembered(ctx, state.remembered);
    state.built = false;
}

std::optional<std::string> hostPathFor(LinuxContext& ctx, const std::string& windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::nullopt;
    const LetterEntry* entry = letterEntry(ctx, windowsPath[0]);
    if (!entry || entry->hostRoot.empty()) return std::nullopt;
    std::vector<std::string> parts;
    std::string component;
    for (char c : windowsPath.substr(2) + "\\") {
        if (c == '\\' || c == '/') {
            if (component == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!component.empty() && component != ".") {
                parts.push_back(component);
            }
            component.clear();
        } else {
            component.push_back(c);
        }
    }
    std::string path = entry->hostRoot;
    for (const auto& part : parts) path += (path.back() == '/' ? "" : "/") + part;
    return path;
}

}  // namespace zv::lnx
