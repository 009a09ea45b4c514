#include "optical/optical_drive_kind.h"

#include "optical/iso_disc_lib.h"

#include <array>

namespace zv::optical {

// The most capable media word the summary mentions. The phrases contain the words:
// "Read DVD-R / DVD-RW" gives "DVD-RW", "Read DVD-ROM" and "... DVD-RAM" give "DVD-R".
std::string QueryOpticalDriveKind(platform::Platform& platform, IEventPump& pump, char letter) {
    static constexpr std::array<const char*, 4> kWords = {"DVD-RW", "DVD-R", "CD-RW", "CD-R"};
    try {
        const std::string summary = QueryDriveCapabilitySummary(platform, pump, letter);
        for (const char* word : kWords)
            if (summary.find(word) != std::string::npos) return word;
    } catch (...) {
        // A query never raises to the survey: one bad drive leaves its kind empty.
    }
    return {};
}

}  // namespace zv::optical
