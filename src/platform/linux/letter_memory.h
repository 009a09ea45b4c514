// The per-user memory of which volume had which letter: the "letters" file in the user's
// configuration folder.
#pragma once

#include "platform/linux/linux_context.h"

#include <map>
#include <string>

namespace zv::lnx {

// Letter -> key of the volume that last had it; empty when there is no file yet.
std::map<char, std::string> loadRememberedLetters(LinuxContext& ctx);
void saveRememberedLetters(LinuxContext& ctx, const std::map<char, std::string>& remembered);

}  // namespace zv::lnx
