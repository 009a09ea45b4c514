// File-system facts of a letter.
#include "platform/linux/volume_facts.h"

#include "platform/linux/remote_probe.h"

namespace zv::lnx {

namespace {

std::string withoutRoot(LinuxContext& ctx, const std::string& hostPath) {
    const std::string& root = ctx.options().sysRoot;
    if (root == "/") return hostPath;
    if (hostPath == root) return "/";
    if (hostPath.rfind(root + "/", 0) == 0) return hostPath.substr(root.size());
    return hostPath;
}

VolumeFacts factsOfEntry(const LetterEntry& entry) {
    VolumeFacts facts;
    facts.statPath = entry.hostRoot;
    facts.identity = entry.identity;
    facts.fsType = entry.target.fsType;
    facts.readOnly = entry.readOnly;
    facts.guarded = needsDeadline(entry.target.fsType, entry.target.network);
    if (entry.device) facts.bytesPerSector = entry.device->logicalBlockSize;
    return facts;
}

}  // namespace

const MountEntry* mountHolding(const std::vector<MountEntry>& mounts, const std::string& path) {
    const MountEntry* best = nullptr;
    for (const auto& mount : mounts) {
        const std::string& t = mount.target;
        bool holds = t == "/" || path == t || path.rfind(t + "/", 0) == 0;
        // The later of two mounts on one place is the visible one.
        if (holds && (!best || t.size() >= best->target.size())) best = &mount;
    }
    return best;
}

PathGuard guardOf(LinuxContext& ctx, const std::vector<MountEntry>& mounts, const std::string& hostPath) {
    PathGuard guard;
    const MountEntry* mount = mountHolding(mounts, withoutRoot(ctx, hostPath));
    if (!mount) return guard;
    guard.guarded = needsDeadline(mount->fsType, mount->netfs);
    guard.key = ctx.sysPath(mount->target);
    return guard;
}

PathGuard guardOf(LinuxContext& ctx, const std::string& hostPath) { return guardOf(ctx, currentMounts(ctx), hostPath); }

std::optional<VolumeFacts> volumeFacts(LinuxContext& ctx, const LetterEntry& entry) {
    if (entry.hostRoot.empty()) return std::nullopt;
    if (!entry.target.substitute) return factsOfEntry(entry);

    // A substitute answers for the volume of its folder.
    std::string folder = withoutRoot(ctx, entry.hostRoot);
    const LetterEntry* owner = nullptr;
    size_t ownerLength = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const LetterEntry* other = letterEntry(ctx, letter);
        if (!other || other->target.substitute || other->target.mountPoint.empty()) continue;
        const std::string& t = other->target.mountPoint;
        bool holds = t == "/" || folder == t || folder.rfind(t + "/", 0) == 0;
        if (holds && t.size() >= ownerLength) {
            owner = other;
            ownerLength = t.size();
        }
    }
    const MountEntry* mount = mountHolding(currentMounts(ctx), folder);
    VolumeFacts facts;
    if (owner && (!mount || mount->target == owner->target.mountPoint)) {
        facts = factsOfEntry(*owner);
    } else if (mount) {
        facts.fsType = mount->fsType;
        facts.readOnly = mount->readOnly;
        facts.guarded = needsDeadline(mount->fsType, mount->netfs);
    }
    facts.statPath = entry.hostRoot;
    return facts;
}

}  // namespace zv::lnx
