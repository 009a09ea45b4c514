// The optical queries of the program, run against the DVD writer of the recorded desktop
// machine on the Linux backend, with every SCSI command answered by a ScriptedSeam: the
// bytes a fuzz target chooses travel the whole way from SG_IO through the pass-through
// block into the decoders.
#pragma once

#include "optical/disc_structure.h"
#include "support/scripted_seam.h"

#include <memory>
#include <optional>
#include <string>

namespace zv::platform {
class Platform;
}

namespace zv::fuzz {

// Operation codes of the commands the queries send.
inline constexpr uint8_t kTestUnitReady = 0x00;
inline constexpr uint8_t kInquiry = 0x12;
inline constexpr uint8_t kGetConfiguration = 0x46;
inline constexpr uint8_t kModeSense10 = 0x5A;
inline constexpr uint8_t kReadDiscStructure = 0xAD;

struct OpticalReport {
    std::string inquiryText;                     // ReadInquiryText
    std::optional<uint16_t> profile;             // ReadCurrentProfile
    std::string summary;                         // the capability summary
    std::optional<optical::DvdPhysicalFormat> disc;
};

class OpticalBench {
public:
    OpticalBench();
    ~OpticalBench();

    // Answers a drive gives when nothing else is said: a DVD-ROM disc in a DVD writer.
    static ScsiAnswer defaultAnswer(uint8_t opcode);

    // Every query once, with `seam().answers` as set (defaults for the codes not set).
    OpticalReport run();
    ScriptedSeam& seam() { return m_seam; }
    char letter() const { return m_letter; }

private:
    ScriptedSeam m_seam;
    std::unique_ptr<platform::Platform> m_platform;
    char m_letter = 0;
};

}  // namespace zv::fuzz
