// The S.M.A.R.T. and identity queries of the program, run against the SATA disk of the
// recorded desktop machine on the Linux backend, with every ATA command answered by a
// ScriptedSeam through ATA PASS-THROUGH.
#pragma once

#include "support/scripted_seam.h"

#include <array>
#include <memory>

namespace zv::platform {
class Platform;
}

namespace zv::fuzz {

inline constexpr uint8_t kAtaIdentify = 0xEC;
inline constexpr uint8_t kAtaSmart = 0xB0;
inline constexpr uint8_t kSmartReadData = 0xD0;
inline constexpr uint8_t kSmartReadThresholds = 0xD1;

class DiskBench {
public:
    DiskBench();
    ~DiskBench();

    // A healthy disk's pages: IDENTIFY, attributes and thresholds.
    static std::array<uint8_t, 512> identifyPage();
    static std::array<uint8_t, 512> attributePage();
    static std::array<uint8_t, 512> thresholdPage();

    // Sets the three pages the disk answers (each padded with zeros or cut to 512 bytes).
    void answer(const std::vector<uint8_t>& identify, const std::vector<uint8_t>& attributes,
                const std::vector<uint8_t>& thresholds);

    platform::Platform& platform() { return *m_platform; }
    // "\\.\PhysicalDriveN" of the disk.
    int32_t driveNumber() const { return 0; }

private:
    ScriptedSeam m_seam;
    std::unique_ptr<platform::Platform> m_platform;
};

}  // namespace zv::fuzz
