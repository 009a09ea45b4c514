// A system-call seam that answers each SG_IO by the command's operation code with bytes the
// fuzz target chose, as a drive would: GOOD status and the data, or CHECK CONDITION with
// sense bytes. Other device calls succeed without doing anything.
#pragma once

#include "platform/linux/sys_seam.h"

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace zv::fuzz {

struct ScsiAnswer {
    std::vector<uint8_t> data;   // copied into the data buffer (at most its length)
    std::vector<uint8_t> sense;  // with status CHECK CONDITION when not empty
    int residue = -1;            // the kernel's resid; -1: the length not transferred
};

// The key of an ATA command sent through ATA PASS-THROUGH (16): command and features.
inline uint16_t ataKey(uint8_t command, uint8_t features) { return uint16_t(command << 8 | features); }

class ScriptedSeam final : public lnx::SysSeam {
public:
    std::map<uint8_t, ScsiAnswer> answers;  // by operation code; a missing one answers GOOD, no data
    std::map<uint16_t, ScsiAnswer> ataAnswers;  // ATA PASS-THROUGH (85h) by ataKey, before `answers`
    // A descriptor whose duplicate every open returns (a disk image the backend then reads
    // with libblkid); -1: opens return a descriptor that is never read.
    int imageFd = -1;

    int open(const std::string& path, int flags) override;
    int close(int fd) override;
    int ioctl(int fd, unsigned long request, void* argument) override;

private:
    std::set<int> m_duplicates;
};

}  // namespace zv::fuzz
