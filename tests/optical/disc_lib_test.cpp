// TISODiscLib on simulated drives: the requests it sends, the readiness wait, the profile
// check and the summary.
#include "optical/capability_summary.h"
#include "optical/iso_disc_lib.h"
#include "optical/mmc_commands.h"
#include "optical_machine.h"

#include <gtest/gtest.h>

namespace zv::optical {
namespace {

using namespace zv::optical::testing;

const char* const kWriterPage =
    R"({"read_cd_r": true, "read_cd_rw": true, "write_cd_r": true, "buffer_kb": 2048, "max_read_kbps": 7056, "max_write_kbps": 1411})";
const char* const kWriterSummary =
    "Read CD-R\r\nRead CD-RW\r\nWrite CD-R\r\nDevice Buffer: 2048k\r\nMax Read Speed: 40x\r\nMax Write Speed: 8x";

std::string summaryOn(sim::SimPlatform& m, IEventPump& pump, char letter = 'D',
                      std::optional<DvdPhysicalFormat>* disc = nullptr) {
    return QueryDriveCapabilitySummary(m, pump, letter, disc);
}

TEST(CommandTable, RequestParameters) {
    struct Row {
        OpticalCommand command;
        uint8_t cdbLength, sense;
        uint32_t transfer, timeout;
        std::vector<uint8_t> cdb;
    };
    const Row rows[] = {
        {OpticalCommand::TestUnitReady, 6, 32, 0, 120, {0, 0, 0, 0, 0, 0}},
        {OpticalCommand::GetConfiguration, 10, 32, 114, 120, {0x46, 0x02, 0, 0, 0, 0, 0, 0x00, 0x72, 0}},
        {OpticalCommand::ReadDiscStructure, 10, 32, 21, 120, {0xAD, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x15, 0, 0}},
        {OpticalCommand::ModeSense10, 10, 14, 440, 120, {0x5A, 0x00, 0xAA, 0, 0, 0, 0, 0x01, 0xB8, 0}},
        {OpticalCommand::Inquiry, 6, 24, 100, 2, {0x12, 0, 0, 0, 0x64, 0}},
    };
    for (const Row& row : rows) {
        const auto request = makeRequest(row.command);
        const uint8_t* b = request.data();
        EXPECT_EQ(b[0] | b[1] << 8, 44);
        EXPECT_EQ(request.cdbLength(), row.cdbLength);
        EXPECT_EQ(request.senseInfoLength(), row.sense);
        EXPECT_EQ(b[8], 1) << "DataIn";
        EXPECT_EQ(request.dataTransferLength(), row.transfer);
        EXPECT_EQ(request.timeOutSeconds(), row.timeout);
        EXPECT_EQ(b[24], 48) << "sense offset";
        EXPECT_EQ(std::vector<uint8_t>(request.cdb(), request.cdb() + row.cdb.size()), row.cdb);
        for (size_t i = row.cdb.size(); i < 16; ++i) EXPECT_EQ(request.cdb()[i], 0);
        for (size_t i = 44; i < 80; ++i) EXPECT_EQ(b[i], 0);
    }
}

TEST(Summary, ReadyDriveGetsTheWholeSequence) {
    auto m = machine(opticalDrive(std::string(R"({"profile": "0x0009", "mode_page_2a": )") + kWriterPage + "}"));
    ScriptedPump pump;
    m->clearCalls();
    EXPECT_EQ(summaryOn(*m, pump), kWriterSummary);
    EXPECT_EQ(opcodes(*m), (std::vector<uint8_t>{0x00, 0x46, 0x5A}));
    EXPECT_EQ(pump.rounds, 1);
    EXPECT_EQ(m->openHandleCount(), 0);
    EXPECT_EQ(m->unknownRequestCount(), 0);
}

TEST(Summary, ReadinessWaitPausesAndLetsMessagesRun) {
    auto m = machine(opticalDrive(std::string(R"({"test_unit_ready": {"ready_after": 9}, "mode_page_2a": )") + kWriterPage + "}"));
    ScriptedPump pump;
    std::vector<uint64_t> tickAtRound;
    pump.action = [&] { tickAtRound.push_back(m->system().GetTickCount()); };
    const DWORD start = m->system().GetTickCount();
    EXPECT_EQ(summaryOn(*m, pump), kWriterSummary) << "ready on the tenth attempt";
    EXPECT_EQ(pump.rounds, 10);
    ASSERT_EQ(tickAtRound.size(), 10u);
    EXPECT_GE(tickAtRound.front(), start + 100) << "the pause comes before the messages";
    EXPECT_GE(tickAtRound.back(), start + 1000);
    size_t readiness = 0;
    for (uint8_t opcode : opcodes(*m)) readiness += opcode == 0x00;
    EXPECT_EQ(readiness, 10u);
}

TEST(Summary, DriveNeverReadyGivesNothing) {
    auto m = machine(opticalDrive(R"({"test_unit_ready": {"ready_after": 10}})") + "," +
                     opticalDrive(R"({"test_unit_ready": "unresponsive"})", "", 'E'));
    for (char letter : {'D', 'E'}) {
        ScriptedPump pump;
        m->clearCalls();
        EXPECT_EQ(summaryOn(*m, pump, letter), "");
        EXPECT_EQ(opcodes(*m), std::vector<uint8_t>(10, 0x00)) << letter;
        EXPECT_EQ(pump.rounds, 10);
    }
    EXPECT_EQ(m->openHandleCount(), 0);
}

TEST(Summary, CheckConditionStillCountsAsCarried) {
    auto m = machine(opticalDrive(std::string(R"({"test_unit_ready": "not_ready", "mode_page_2a": )") + kWriterPage + "}"));
    NullEventPump pump;
    m->clearCalls();
    EXPECT_EQ(summaryOn(*m, pump), kWriterSummary);
    EXPECT_EQ(opcodes(*m).front(), 0x00);
    EXPECT_EQ(opcodes(*m).size(), 3u);
}

TEST(Summary, EmptyDriveUsesItsOwnCapabilities) {
    auto m = machine(opticalDrive(std::string(R"({"mode_page_2a": )") + kWriterPage + "}", R"("medium_present": false)"));
    NullEventPump pump;
    EXPECT_EQ(summaryOn(*m, pump), kWriterSummary);
}

TEST(Summary, ProfileDecidesWhetherASummaryIsBuilt) {
    auto m = machine(opticalDrive(R"({"profile": "0x0099"})") + "," + opticalDrive(R"({"profile": "0x0043"})", "", 'E') + "," +
                         opticalDrive(R"({"profile": "0x002B"})", "", 'F') + "," + opticalDrive(R"({"profile": "0xFFFF"})", "", 'G') +
                         "," + opticalDrive("{}", "", 'H'),
                     R"("faults": [{"operation": "ScsiPassThroughDirect", "target": "H:", "opcode": "0x46", "error": 31}])");
    NullEventPump pump;
    EXPECT_EQ(summaryOn(*m, pump, 'D'), "") << "a profile without a row";
    EXPECT_NE(summaryOn(*m, pump, 'E'), "") << "Blu-ray";
    EXPECT_NE(summaryOn(*m, pump, 'F'), "") << "DVD+R dual layer";
    EXPECT_NE(summaryOn(*m, pump, 'G'), "");
    m->clearCalls();
    EXPECT_EQ(summaryOn(*m, pump, 'H'), "") << "the profile request failed";
    EXPECT_EQ(opcodes(*m), (std::vector<uint8_t>{0x00, 0x46}));
}

TEST(Summary, FailedCapabilitiesRequestGivesTheFixedLines) {
    auto m = machine(opticalDrive(std::string(R"({"mode_page_2a": )") + kWriterPage + "}"),
                     R"("faults": [{"operation": "ScsiPassThroughDirect", "opcode": "0x5A", "error": 31}])");
    NullEventPump pump;
    EXPECT_EQ(summaryOn(*m, pump), "\r\nDevice Buffer: 0k\r\nMax Read Speed: 0x\r\nMax Write Speed: 0x");
}

TEST(Summary, BlockDescriptorsBeforeThePage) {
    auto m = machine(opticalDrive(R"({"mode_page_2a": {"read_dvd_rom": true, "buffer_kb": 512, "max_read_kbps": 2822,
                                      "block_descriptor_length": 8}})"));
    NullEventPump pump;
    EXPECT_EQ(summaryOn(*m, pump), "\r\nRead DVD-ROM\r\nDevice Buffer: 512k\r\nMax Read Speed: 16x\r\nMax Write Speed: 0x");
}

TEST(Summary, OpenOpticalDriveOnlyOpensCdRomLetters) {
    auto m = machine(R"({"letter": "C", "type": 3, "inquiry": {"vendor": "ATA"}},)" + opticalDrive("{}"));
    NullEventPump pump;
    TISODiscLib library(*m, pump);
    ASSERT_TRUE(library.PassThroughAllowed());
    m->clearCalls();
    EXPECT_EQ(library.OpenOpticalDrive('C'), INVALID_HANDLE_VALUE);
    ASSERT_FALSE(m->calls().empty());
    EXPECT_EQ(m->calls().back().operation, "GetDriveTypeA");
    EXPECT_EQ(m->calls().back().arguments.at(0), "C:");
    const HANDLE d = library.OpenOpticalDrive('D');
    EXPECT_NE(d, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(library.CloseDevice(d));
    EXPECT_EQ(library.GetDriveCapabilitySummary(INVALID_HANDLE_VALUE), "");
    EXPECT_EQ(m->openHandleCount(), 0);
}

TEST(Summary, DvdDiscStructureWhenAsked) {
    auto m = machine(opticalDrive(R"({"profile": "0x0011"})") + "," + opticalDrive(R"({"profile": "0x0008"})", "", 'E'));
    NullEventPump pump;
    std::optional<DvdPhysicalFormat> disc;
    m->clearCalls();
    EXPECT_NE(summaryOn(*m, pump, 'D', &disc), "");
    ASSERT_TRUE(disc);
    EXPECT_EQ(disc->bookType, "DVD-R");
    EXPECT_EQ(disc->layerType, "Layer contains recordable area");
    EXPECT_EQ(opcodes(*m), (std::vector<uint8_t>{0x00, 0x46, 0xAD, 0x5A}));
    // The block carries CdbLength 10 for the 12-byte command.
    EXPECT_EQ(passThroughBlocks(*m)[2][6], 10);

    m->clearCalls();
    EXPECT_NE(summaryOn(*m, pump, 'E', &disc), "");
    EXPECT_FALSE(disc) << "a CD has no DVD structure";
    m->clearCalls();
    EXPECT_NE(summaryOn(*m, pump, 'D'), "");
    EXPECT_EQ(opcodes(*m), (std::vector<uint8_t>{0x00, 0x46, 0x5A})) << "not asked, not sent";
}

}  // namespace
}  // namespace zv::optical
