// Letters given out to the candidates.
#include "platform/linux/letter_assignment.h"

namespace zv::lnx {

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

}  // namespace zv::lnx
