// Simulated machines for the check-disk tests: a fixed C: "SYSTEM" (NTFS), a fixed E:
// "DATA" (FAT32), a removable F: and an optical G:, with the checker section given.
#pragma once

#include "platform/sim/sim_platform.h"

#include <memory>
#include <string>

namespace zv::chkdsk::test {

inline std::unique_ptr<sim::SimPlatform> checkMachine(const std::string& checker, const std::string& extra = "") {
    const std::string text = R"({"schema": 1,
      "drives": [
        {"letter": "C", "type": 3, "volume": {"label": "SYSTEM", "file_system": "NTFS"}},
        {"letter": "E", "type": 3, "volume": {"label": "DATA", "file_system": "FAT32"}},
        {"letter": "F", "type": 2, "volume": {"label": "STICK", "file_system": "FAT"}},
        {"letter": "G", "type": 5, "medium_present": false}
      ])" + std::string(checker.empty() ? "" : ",\n\"checker\": " + checker) +
                             (extra.empty() ? "" : ",\n" + extra) + "}";
    return sim::SimPlatform::fromText(text, "check-machine.json");
}

}  // namespace zv::chkdsk::test
