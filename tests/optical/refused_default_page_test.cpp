// A drive that refuses mode page 0x2A with page control "default values" (QEMU's ATAPI
// DVD-ROM answers ILLEGAL REQUEST, invalid field in CDB) still gives its capabilities from the
// page's current values. The page is the one that drive sent to sg_modes.
#include "optical/iso_disc_lib.h"
#include "optical/optical_drive_kind.h"
#include "optical_machine.h"

#include <gtest/gtest.h>

namespace zv::optical {
namespace {

using namespace zv::optical::testing;

const char* const kQemuAtapiPage = R"("mode_page_2a": {"bytes": "2A 14 3B 00 71 60 2B 00 02 C0 00 02 02 00 02 C0 00 00 00 00 00 00"})";
const char* const kAdministrator = R"("system": {"administrator": true})";

std::string summaryOf(bool answersDefaults) {
    const std::string optical = std::string("{") + kQemuAtapiPage + ", \"profile\": \"0x0010\", \"mode_page_2a_defaults\": " +
                                (answersDefaults ? "true" : "false") + "}";
    auto m = machine(opticalDrive(optical), kAdministrator);
    NullEventPump pump;
    const std::string summary = QueryDriveCapabilitySummary(*m, pump, 'D');
    EXPECT_EQ(m->openHandleCount(), 0);
    return summary;
}

TEST(RefusedDefaultPage, CurrentValuesGiveTheSummary) {
    const std::string expected =
        "Read CD-R\r\nRead CD-RW\r\nRead DVD-ROM\r\nRead DVD-R / DVD-RW\r\nRead DVD-RAM\r\nDevice Buffer: 512k\r\n"
        "Max Read Speed: 4x\r\nMax Write Speed: 0x";
    EXPECT_EQ(summaryOf(false), expected);
    EXPECT_EQ(summaryOf(true), expected);
}

TEST(RefusedDefaultPage, KindOfTheDriveInTheSurvey) {
    auto m = machine(opticalDrive(std::string("{") + kQemuAtapiPage + ", \"mode_page_2a_defaults\": false}"), kAdministrator);
    NullEventPump pump;
    EXPECT_EQ(QueryOpticalDriveKind(*m, pump, 'D'), "DVD-RW");
}

}  // namespace
}  // namespace zv::optical
