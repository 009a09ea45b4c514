// Giving out letters to the candidates: C: for "/", A: and B: for floppies, remembered
// letters when free, then the lowest free letter from D:.
#pragma once

#include "platform/linux/letter_entry.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zv::lnx {

// `substitutes` holds the letters defined as substitutes; `remembered` maps a letter to the
// key of the volume that last had it and is updated for volumes that got a new letter.
// Returns the table indexed by letter - 'A'.
std::array<std::optional<LetterEntry>, 26> assignLetters(std::vector<VolumeCandidate> candidates,
                                                         const std::map<char, std::string>& substitutes,
                                                         std::map<char, std::string>& remembered);

}  // namespace zv::lnx
