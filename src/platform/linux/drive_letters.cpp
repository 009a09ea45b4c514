// The letter table: rebuilt from the machine's tables when they changed, with the per-user
// memory of letters and the session's substitute letters.
#include "platform/linux/drive_letters.h"

#include "platform/linux/letter_memory.h"
#include "platform/linux/substitute_roots.h"
#include "platform/linux/substitutes.h"

#include <cctype>
#include <ctime>

namespace zv::lnx {

namespace {

constexpr uint64_t kBlockCheckIntervalNs = 1'000'000'000;
// Our own changes (substitutes, connections) invalidate the table at once; changes made by
// others show within this time, or at the next GetLogicalDrives.
constexpr uint64_t kQuietNs = 200'000'000;

uint64_t monotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1'000'000'000u + uint64_t(ts.tv_nsec);
}

void loadRememberedOnce(LinuxContext& ctx, LinuxContext::LetterState& state) {
    if (state.rememberedLoaded) return;
    state.remembered = loadRememberedLetters(ctx);
    state.rememberedLoaded = true;
}

void rebuild(LinuxContext& ctx, LinuxContext::LetterState& state) {
    state.mounts = readMountTable(ctx.sysPath("/proc/self/mountinfo"));
    std::vector<MountEntry> fstab = readFstab(ctx.sysPath("/etc/fstab"));
    std::vector<VolumeCandidate> candidates = collectVolumes(ctx.options().sysRoot, state.mounts, fstab);
    SubstDefinitions substitutes = loadSubstitutes(ctx);
    std::map<char, std::string> substLetters;
    for (const auto& [letter, definitions] : substitutes)
        if (!definitions.empty() && letter != 'C') substLetters[letter] = definitions.front();
    loadRememberedOnce(ctx, state);
    std::map<char, std::string> before = state.remembered;
    state.table = assignLetters(std::move(candidates), substLetters, state.remembered);
    for (const auto& [letter, top] : substLetters)
        state.table[size_t(letter - 'A')] = substituteEntry(ctx, state.table, state.mounts, letter, substitutes[letter]);
    if (state.remembered != before) saveRememberedLetters(ctx, before, state.remembered);
    state.built = true;
}

void refreshIfNeeded(LinuxContext& ctx, bool now = false) {
    auto& state = ctx.letters();
    const uint64_t started = monotonicNs();
    if (state.built && !now && started - state.lastCheckNs < kQuietNs) return;
    bool changed = state.mountWatch.changed(ctx.sysPath("/proc/self/mountinfo"), state.built) || !state.built;
    std::string fstabStamp = fileChangeStamp(ctx.sysPath("/etc/fstab"));
    std::string substStamp = substitutesStamp(ctx);
    if (fstabStamp != state.fstabStamp || substStamp != state.substStamp) changed = true;
    if (changed || started - state.lastBlockCheckNs >= kBlockCheckIntervalNs) {
        std::string names = blockDeviceNames(ctx.sysPath("/sys/block"));
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
    loadRememberedOnce(ctx, state);
    std::map<char, std::string> before = state.remembered;
    before.erase(letter);  // saved even when this process thinks the file holds it already
    for (auto it = state.remembered.begin(); it != state.remembered.end();)
        it = it->second == key ? state.remembered.erase(it) : std::next(it);
    state.remembered[letter] = key;
    saveRememberedLetters(ctx, before, state.remembered);
    state.built = false;
}

std::optional<std::string> hostPathFor(LinuxContext& ctx, const std::string& windowsPath) {
    if (windowsPath.size() < 2 || windowsPath[1] != ':') return std::nullopt;
    const LetterEntry* entry = letterEntry(ctx, windowsPath[0]);
    if (!entry || entry->hostRoot.empty()) return std::nullopt;
    return pathBelowRoot(entry->hostRoot, windowsPath.substr(2));
}

}  // namespace zv::lnx
