// The NVMe decoders on recorded pages: the health log's fields and 128-bit counters, the
// identify strings and the namespace size, and the window's verdict and rows made of them.
#include <gtest/gtest.h>

#include "nvme_pages.h"
#include "smart/nvme_health.h"
#include "smart/nvme_identify.h"
#include "smart/nvme_rows.h"
#include "smart/smart_view.h"

using namespace zv::smart;
using zv::smart::test::recordedPage;

namespace {

const SmartRow* rowNamed(const std::vector<SmartRow>& rows, const std::string& name) {
    for (const auto& r : rows)
        if (r[1] == name) return &r;
    return nullptr;
}

}  // namespace

TEST(NvmeHealthLog, QemuPageDecodesEveryField) {
    const auto page = test::qemuHealthLog();
    const NvmeHealth h = DecodeNvmeHealthLog(page.data());
    EXPECT_EQ(h.criticalWarning, 0);
    EXPECT_EQ(h.temperatureKelvin, 323);
    EXPECT_TRUE(h.hasTemperature());
    EXPECT_EQ(h.temperatureCelsius(), 50);
    EXPECT_EQ(h.availableSpare, 0);
    EXPECT_EQ(h.availableSpareThreshold, 0);
    EXPECT_EQ(h.percentageUsed, 0);
    EXPECT_EQ(h.dataUnitsRead, (Counter128{46, 0}));
    EXPECT_EQ(h.dataUnitsWritten, (Counter128{3, 0}));
    EXPECT_EQ(h.hostReadCommands, (Counter128{0x0B92, 0}));
    EXPECT_EQ(h.hostWriteCommands, (Counter128{0x014C, 0}));
    EXPECT_EQ(h.powerOnHours, (Counter128{0, 0}));
    EXPECT_EQ(h.warningCount(), 0);
    EXPECT_EQ(NvmeVerdict(h), "SMART Test Passed");
    EXPECT_EQ(NvmeTemperatureText(h),
              "50\xC2\xB0"
              "C");
}

TEST(NvmeHealthLog, EachFieldComesFromItsOwnOffset) {
    // A distinct value in every field: a decoder reading one field from another's place fails.
    std::vector<std::pair<size_t, const char*>> runs = {{0, "10 2c 01 5f 0c 21"}};
    static const char* const values[] = {"01", "02", "03", "04", "05", "06", "07", "08", "09", "0a"};
    for (size_t i = 0; i < 10; ++i) runs.push_back({32 + 16 * i, values[i]});
    const auto page = recordedPage(512, runs);
    const NvmeHealth h = DecodeNvmeHealthLog(page.data());
    EXPECT_EQ(h.criticalWarning, 0x10);
    EXPECT_EQ(h.temperatureKelvin, 300);
    EXPECT_EQ(h.availableSpare, 95);
    EXPECT_EQ(h.availableSpareThreshold, 12);
    EXPECT_EQ(h.percentageUsed, 33);
    const Counter128* counters[] = {&h.dataUnitsRead,     &h.dataUnitsWritten,   &h.hostReadCommands,
                                    &h.hostWriteCommands, &h.controllerBusyTime, &h.powerCycles,
                                    &h.powerOnHours,      &h.unsafeShutdowns,    &h.mediaErrors,
                                    &h.errorLogEntries};
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(*counters[i], (Counter128{i + 1, 0})) << i;
}

TEST(NvmeHealthLog, CriticalWarningZeroTemperatureAndCountersBeyond64Bits) {
    const auto page = test::failingHealthLog();
    const NvmeHealth h = DecodeNvmeHealthLog(page.data());
    EXPECT_EQ(h.criticalWarning, 0x05);
    EXPECT_EQ(h.warningCount(), 2);
    EXPECT_FALSE(h.hasTemperature());
    EXPECT_EQ(NvmeTemperatureText(h), "");
    EXPECT_EQ(NvmeVerdict(h), "SMART Test Failed, Bad Attributes 2");

    EXPECT_TRUE(h.dataUnitsRead.fitsIn64Bits());
    EXPECT_EQ(h.dataUnitsRead.decimalText(), "18446744073709551615");
    EXPECT_FALSE(h.dataUnitsWritten.fitsIn64Bits());
    EXPECT_EQ(h.dataUnitsWritten.decimalText(), "18446744073709551621");
    EXPECT_EQ(h.powerOnHours.decimalText(), "81985529216486895");
    EXPECT_EQ(h.powerCycles.decimalText(), "1000");
    EXPECT_EQ(h.unsafeShutdowns.decimalText(), "42");
    EXPECT_EQ(h.mediaErrors.decimalText(), "340282366920938463463374607431768211455");
    EXPECT_EQ(h.errorLogEntries.decimalText(), "7");
}

TEST(NvmeHealthLog, DecimalTextOfCountersAtTheEdges) {
    EXPECT_EQ((Counter128{0, 0}).decimalText(), "0");
    EXPECT_EQ((Counter128{9, 0}).decimalText(), "9");
    EXPECT_EQ((Counter128{10, 0}).decimalText(), "10");
    EXPECT_EQ((Counter128{0, 1}).decimalText(), "18446744073709551616");
    // 10^20 = 5 * 2^64 + 7766279631452241920
    EXPECT_EQ((Counter128{7766279631452241920ull, 5}).decimalText(), "100000000000000000000");
    const uint8_t bytes[16] = {0x01, 0, 0, 0, 0, 0, 0, 0x80, 0x02, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(DecodeCounter128(bytes), (Counter128{0x8000000000000001ull, 2}));
}

TEST(NvmeRows, NamesValuesAndJudgements) {
    const auto healthy = recordedPage(512, {{0, "00 37 01 64 0a 03"}, {32, "8d 9b 78 01"}, {128, "1e 22"}});
    const auto rows = NvmeHealthRows(DecodeNvmeHealthLog(healthy.data()), ".");
    ASSERT_EQ(rows.size(), 11u);
    const std::pair<const char*, const char*> expected[] = {
        {"Critical Warning", "0x00"}, {"Temperature Celsius", "38"},
        {"Available Spare", "100%"},  {"Available Spare Threshold", "10%"},
        {"Percentage Used", "3%"},    {"Data Units Read", "24.681.357"},
        {"Data Units Written", "0"},  {"Power Cycles", "0"},
        {"Power On Hours", "8.734"},  {"Unsafe Shutdowns", "0"},
        {"Media Errors", "0"}};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i][1], expected[i].first) << i;
        EXPECT_EQ(rows[i][6], expected[i].second) << i;
    }
    EXPECT_EQ(rowNamed(rows, "Critical Warning")->at(2), "OK");
    EXPECT_EQ(rowNamed(rows, "Available Spare")->at(2), "OK");
    EXPECT_EQ(rowNamed(rows, "Available Spare")->at(3), "100");
    EXPECT_EQ(rowNamed(rows, "Available Spare")->at(5), "10");
    EXPECT_EQ(rowNamed(rows, "Percentage Used")->at(2), "OK");

    const auto worn = test::failingHealthLog();
    const auto bad = NvmeHealthRows(DecodeNvmeHealthLog(worn.data()), ",");
    EXPECT_EQ(rowNamed(bad, "Critical Warning")->at(2), "Failing Now");
    EXPECT_EQ(rowNamed(bad, "Critical Warning")->at(6), "0x05");
    EXPECT_EQ(rowNamed(bad, "Temperature Celsius")->at(6), "-");
    EXPECT_EQ(rowNamed(bad, "Available Spare")->at(2), "Failing Now") << "8% is below the threshold of 10%";
    EXPECT_EQ(rowNamed(bad, "Percentage Used")->at(2), "Warning") << "110% used";
    EXPECT_EQ(rowNamed(bad, "Percentage Used")->at(6), "110%");
    EXPECT_EQ(rowNamed(bad, "Data Units Written")->at(6), "18,446,744,073,709,551,621");
}

TEST(NvmeIdentify, ControllerStringsAreTrimmedAndInOrder) {
    const auto page = test::qemuIdentifyController();
    const NvmeControllerIdentity id = DecodeNvmeIdentifyController(page.data());
    EXPECT_EQ(id.serial, "ZVNVME01");
    EXPECT_EQ(id.model, "QEMU NVMe Ctrl");
    EXPECT_EQ(id.firmware, "7.2.15");
    // A field filled to its end and one padded with NULs.
    const auto full = recordedPage(4096, {{4, "41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 51 52 53 54"},
                                          {64, "20 31 2e 30 00 00 00 00"}});
    const NvmeControllerIdentity other = DecodeNvmeIdentifyController(full.data());
    EXPECT_EQ(other.serial, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(other.firmware, "1.0");
    EXPECT_EQ(other.model, "");
}

TEST(NvmeIdentify, NamespaceSizeFollowsTheFormatInUse) {
    // 1,000,215,216 blocks of 512 bytes (format 0).
    const auto plain = recordedPage(4096, {{0, "b0 12 9e 3b"}, {128, "00 00 09 00"}});
    EXPECT_EQ(NvmeNamespaceSizeBytes(plain.data()), 512110190592);
    // Format 1 (4096 bytes) in use: 125,026,902 blocks.
    const auto large =
        recordedPage(4096, {{0, "56 c2 73 07"}, {25, "01 01"}, {128, "00 00 09 00 00 00 0c 00"}});
    EXPECT_EQ(NvmeNamespaceSizeBytes(large.data()), int64_t(125026902) * 4096);
    // Format 17: the index's high bits are bits 6:5 of FLBAS (0x21 = low 1, high 1).
    const auto many = recordedPage(4096, {{0, "10"}, {26, "21"}, {128 + 4 * 17, "00 00 0c 00"}});
    EXPECT_EQ(NvmeNamespaceSizeBytes(many.data()), 16 * 4096);
    // A format without a data size, and a size beyond 63 bits, give 0.
    const auto unset = recordedPage(4096, {{0, "10"}});
    EXPECT_EQ(NvmeNamespaceSizeBytes(unset.data()), 0);
    const auto huge = recordedPage(4096, {{0, "00 00 00 00 00 00 00 40"}, {128, "00 00 0c 00"}});
    EXPECT_EQ(NvmeNamespaceSizeBytes(huge.data()), 0);
}
