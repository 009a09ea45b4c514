// The mount table (/proc/self/mountinfo) and the file-system table (fstab) turned into
// drive letters, on the block devices of the recorded desktop machine. The input is the
// mount table, a zero byte, then fstab.
#include "platform/linux/drive_letters.h"
#include "platform/linux/mount_table.h"
#include "support/check.h"
#include "support/recorded_machine.h"

#include <set>

using namespace zv;

namespace {

using Table = std::array<std::optional<lnx::LetterEntry>, 26>;

void checkTable(const Table& table, const std::vector<lnx::VolumeCandidate>& candidates) {
    bool root = false;
    for (const auto& candidate : candidates) root = root || candidate.isRoot;
    for (size_t i = 0; i < table.size(); ++i) {
        if (!table[i]) continue;
        const auto& entry = *table[i];
        FUZZ_CHECK(entry.target.letter == char('A' + i));
        // A: and B: belong to floppy drives only.
        if (i < 2) FUZZ_CHECK(entry.device && entry.device->kind == lnx::BlockKind::Floppy);
    }
    if (root) FUZZ_CHECK(table['C' - 'A'].has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string root = fuzz::recordedRoot("desktop");
    static const std::string mountPath = fuzz::recordedConfigDir("desktop") + "-mountinfo";
    static const std::string fstabPath = fuzz::recordedConfigDir("desktop") + "-fstab";
    const uint8_t* end = data + size;
    const uint8_t* split = std::find(data, end, uint8_t(0));
    fuzz::writeFile(mountPath, data, size_t(split - data));
    fuzz::writeFile(fstabPath, split == end ? split : split + 1, size_t(end - (split == end ? split : split + 1)));

    const std::vector<lnx::MountEntry> mounts = lnx::readMountTable(mountPath);
    const std::vector<lnx::MountEntry> fstab = lnx::readFstab(fstabPath);
    const std::vector<lnx::VolumeCandidate> candidates = lnx::collectVolumes(root, mounts, fstab);
    FUZZ_CHECK(candidates.size() <= mounts.size() + fstab.size() + 16);

    std::map<char, std::string> remembered;
    const Table first = lnx::assignLetters(candidates, {}, remembered);
    checkTable(first, candidates);
    for (const auto& [letter, key] : remembered) FUZZ_CHECK(letter >= 'D' && letter <= 'Z' && !key.empty());

    // Given the letters it remembered, the same volumes get the same letters again, also
    // with substitute letters defined on letters no volume has.
    std::set<std::string> keys;
    bool distinct = true;
    for (const auto& candidate : candidates)
        if (!candidate.entry.key.empty()) distinct = keys.insert(candidate.entry.key).second && distinct;
    std::map<char, std::string> substitutes;
    for (char letter = 'Z'; letter >= 'D' && substitutes.size() < 2; --letter)
        if (!first[size_t(letter - 'A')]) substitutes[letter] = "/tmp";
    std::map<char, std::string> again = remembered;
    const Table second = lnx::assignLetters(candidates, substitutes, again);
    checkTable(second, candidates);
    for (size_t i = 0; i < 26; ++i) {
        FUZZ_CHECK(!second[i] || !substitutes.count(char('A' + i)));
        if (distinct) FUZZ_CHECK(first[i].has_value() == second[i].has_value());
        if (distinct && first[i]) FUZZ_CHECK(first[i]->key == second[i]->key);
    }
    if (distinct) FUZZ_CHECK(again == remembered);
    return 0;
}
