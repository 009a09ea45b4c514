// The per-letter identity queries: the requests they send, byte for byte, their answers and
// failures, and that every handle and key is closed.
#include "survey/drive_identity.h"
#include "survey_machine.h"

#include <gtest/gtest.h>

namespace zv::survey {
namespace {

using namespace zv::survey::testing;

class DriveIdentity : public SurveyMachineTest {};
class ExternalDrive : public SurveyMachineTest {};
class VolumeSerial : public SurveyMachineTest {};
class UnavailableConnection : public SurveyMachineTest {};

std::vector<const sim::SimCall*> callsOf(const sim::SimPlatform& m, const std::string& operation) {
    std::vector<const sim::SimCall*> found;
    for (const sim::SimCall& call : m.calls())
        if (call.operation == operation) found.push_back(&call);
    return found;
}

// The INQUIRY block as the pass-through request lays it out, written out field by field.
std::vector<uint8_t> expectedInquiryBlock() {
    std::vector<uint8_t> block(80, 0);
    block[0] = 44;                // Length
    block[6] = 6;                 // CdbLength
    block[7] = 24;                // SenseInfoLength
    block[8] = 1;                 // DataIn
    block[12] = 100;              // DataTransferLength
    block[16] = 2;                // TimeOutValue, seconds
    block[24] = 48;               // SenseInfoOffset
    const uint8_t cdb[] = {0x12, 0x00, 0x00, 0x00, 0x64, 0x00};
    std::copy(std::begin(cdb), std::end(cdb), block.begin() + 28);
    return block;
}

TEST_F(DriveIdentity, SendsTheInquiryBlockThroughAReadWriteOpen) {
    auto& m = machineWith(R"({"letter": "D", "type": 5,
        "inquiry": {"vendor": "TSSTcorp", "product": "CDDVDW SH-S203N", "revision": "SB01"}})");
    EXPECT_EQ(QueryDriveIdentity(m, 'D'), "TSSTcorpCDDVDW SH-S203N SB01");

    const auto opens = callsOf(m, "CreateFileA");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0]->arguments,
              (std::vector<std::string>{"\\\\.\\D:", "0xC0000000", "0x3", "OPEN_EXISTING", "0x0"}));

    const auto requests = callsOf(m, "ScsiPassThroughDirect");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]->input, expectedInquiryBlock());
    EXPECT_EQ(m.openHandleCount(), 0);
}

TEST_F(DriveIdentity, TextRunsFromByteEightToTheFirstZero) {
    // Vendor-specific bytes follow the revision; recorded bytes stop at their first zero.
    auto& m = machineWith(R"({"letter": "D", "type": 5,
        "inquiry": {"vendor": "HL-DT-ST", "product": "DVDRAM GH22NS50", "revision": "TN03",
                    "vendor_specific": "2009/05/25"}},
        {"letter": "E", "type": 2, "inquiry": {"bytes": "00 80 05 02 1F 00 00 00 53 4F 4E 59 20 20 20 20 00 41 42"}})");
    EXPECT_EQ(QueryDriveIdentity(m, 'D'), "HL-DT-STDVDRAM GH22NS50 TN032009/05/25");
    EXPECT_EQ(QueryDriveIdentity(m, 'E'), "SONY    ");
}

TEST_F(DriveIdentity, InquiryWithoutZeroByteGivesAtMostNinetyTwoCharacters) {
    std::string bytes;
    for (int i = 0; i < 120; ++i) bytes += "41 ";
    auto& m = machineWith(R"({"letter": "F", "type": 2, "inquiry": {"bytes": ")" + bytes + R"("}})");
    EXPECT_EQ(QueryDriveIdentity(m, 'F'), std::string(92, 'A'));
}

TEST_F(DriveIdentity, FailuresGiveEmptyTextAndCloseTheDevice) {
    auto& m = machineWith(R"({"letter": "C"},
        {"letter": "D", "type": 5, "device": {"read_write": 5, "query": "ok"},
         "inquiry": {"vendor": "X", "product": "Y", "revision": "Z"}},
        {"letter": "E", "type": 2, "inquiry": {"error": 31}},
        {"letter": "M", "type": 4})");
    EXPECT_EQ(QueryDriveIdentity(m, 'C'), "");  // no pass-through at all
    EXPECT_EQ(QueryDriveIdentity(m, 'D'), "");  // read-write open refused
    EXPECT_EQ(QueryDriveIdentity(m, 'E'), "");  // the request fails
    EXPECT_EQ(QueryDriveIdentity(m, 'M'), "");  // network drive
    EXPECT_EQ(QueryDriveIdentity(m, 'Q'), "");  // no such drive
    EXPECT_EQ(m.openHandleCount(), 0);
}

TEST_F(ExternalDrive, SendsTheStoragePropertyQueryThroughAQueryOnlyWideOpen) {
    auto& m = machineWith(R"({"letter": "E", "storage": {"bus_type": 7, "removable_media": false}})");
    EXPECT_TRUE(IsExternalDrive(m, 'E'));

    const auto opens = callsOf(m, "CreateFileW");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0]->arguments, (std::vector<std::string>{"\\\\.\\E:", "0x0", "0x3", "OPEN_EXISTING", "0x0"}));
    EXPECT_TRUE(callsOf(m, "CreateFileA").empty());

    const auto requests = callsOf(m, "DeviceIoControl");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]->input, std::vector<uint8_t>(12, 0));
    // Handle, control code, input and its size, output and its size.
    const auto& args = requests[0]->arguments;
    ASSERT_EQ(args.size(), 6u);
    EXPECT_EQ(args[1], "0x2D1400");
    EXPECT_EQ(args[3], "12");
    EXPECT_EQ(args[5], "548");
    EXPECT_EQ(m.openHandleCount(), 0);
}

TEST_F(ExternalDrive, OlderFamilyOpensThroughTheEightBitPath) {
    auto& m = machineWith(R"({"letter": "E", "storage": {"bus_type": 4}})", R"("system": {"family": "windows"})");
    EXPECT_TRUE(IsExternalDrive(m, 'E'));
    EXPECT_TRUE(callsOf(m, "CreateFileW").empty());
    ASSERT_EQ(callsOf(m, "CreateFileA").size(), 1u);
}

TEST_F(ExternalDrive, UsbFirewireOrRemovableMediaOnly) {
    auto& m = machineWith(R"({"letter": "C", "storage": {"bus_type": 3, "removable_media": false}},
        {"letter": "D", "storage": {"bus_type": 4, "removable_media": false}},
        {"letter": "E", "storage": {"bus_type": 7, "removable_media": false}},
        {"letter": "F", "storage": {"bus_type": 11, "removable_media": true}},
        {"letter": "G", "storage": {"bus_type": 11, "removable_media": false}},
        {"letter": "H", "storage": {"error": 1}},
        {"letter": "I", "device": {"read_write": "ok", "query": 5}, "storage": {"bus_type": 7}})");
    EXPECT_FALSE(IsExternalDrive(m, 'C'));
    EXPECT_TRUE(IsExternalDrive(m, 'D'));
    EXPECT_TRUE(IsExternalDrive(m, 'E'));
    EXPECT_TRUE(IsExternalDrive(m, 'F'));
    EXPECT_FALSE(IsExternalDrive(m, 'G'));
    EXPECT_FALSE(IsExternalDrive(m, 'H'));
    EXPECT_FALSE(IsExternalDrive(m, 'I'));
    EXPECT_FALSE(IsExternalDrive(m, 'Z'));
    EXPECT_EQ(m.openHandleCount(), 0);
}

TEST_F(VolumeSerial, TwoGroupsOfUpperCaseHexDigits) {
    auto& m = machineWith(R"({"letter": "C", "volume": {"serial": "0x1A2B3C4D"}},
        {"letter": "D", "volume": {"serial": "0x00000abc"}},
        {"letter": "E", "volume": {"serial": "0xFFFFFFFF"}},
        {"letter": "F", "volume": {"error": 21}})");
    EXPECT_EQ(QueryVolumeSerialText(m, 'C'), "1A2B - 3C4D");
    EXPECT_EQ(QueryVolumeSerialText(m, 'D'), "0000 - 0ABC");
    EXPECT_EQ(QueryVolumeSerialText(m, 'E'), "FFFF - FFFF");
    EXPECT_EQ(QueryVolumeSerialText(m, 'F'), "");
    const auto queries = callsOf(m, "GetVolumeInformationA");
    ASSERT_FALSE(queries.empty());
    EXPECT_EQ(queries[0]->arguments[0], "C:\\");
}

TEST(DriveLetterBits, OneBitPerLetter) {
    EXPECT_EQ(DriveLetterBit('A'), 0x1u);
    EXPECT_EQ(DriveLetterBit('B'), 0x2u);
    EXPECT_EQ(DriveLetterBit('C'), 0x4u);
    EXPECT_EQ(DriveLetterBit('D'), 0x8u);
    EXPECT_EQ(DriveLetterBit('Y'), 0x1000000u);
    EXPECT_EQ(DriveLetterBit('Z'), 0x2000000u);
    EXPECT_EQ(DriveLetterBit('c'), 0x4u);
    EXPECT_EQ(DriveLetterBit('1'), 0u);
    EXPECT_EQ(DriveLetterBit(0), 0u);
}

class Visibility : public SurveyMachineTest {
protected:
    sim::SimPlatform& machineWithPolicy(const std::string& value) {
        return machineWith(R"({"letter": "C"})", R"("registry": {
        "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer": {"NoDrives": )" + value + "}}");
    }
};

TEST_F(Visibility, BitsOfTheDwordPolicyHideLetters) {
    auto& onlyC = machineWithPolicy(R"({"type": "REG_DWORD", "data": 4})");
    EXPECT_EQ(QueryDriveVisibility(onlyC, 'C'), 0);
    EXPECT_EQ(QueryDriveVisibility(onlyC, 'c'), 0);
    EXPECT_EQ(QueryDriveVisibility(onlyC, 'D'), 1);
    EXPECT_EQ(QueryDriveVisibility(onlyC, 'A'), 1);

    auto& every = machineWithPolicy(R"({"type": "REG_DWORD", "data": "0x3FFFFFF"})");
    for (char letter = 'A'; letter <= 'Z'; ++letter) EXPECT_EQ(QueryDriveVisibility(every, letter), 0) << letter;

    auto& none = machineWithPolicy(R"({"type": "REG_DWORD", "data": 0})");
    EXPECT_EQ(QueryDriveVisibility(none, 'C'), 1);

    // Bits 26 to 31 belong to no letter.
    auto& high = machineWithPolicy(R"({"type": "REG_DWORD", "data": "0xFC000000"})");
    for (char letter = 'A'; letter <= 'Z'; ++letter) EXPECT_EQ(QueryDriveVisibility(high, letter), 1) << letter;
}

TEST_F(Visibility, ValueOfAnotherTypeCountsAsNoPolicy) {
    auto& binary = machineWithPolicy(R"({"type": "REG_BINARY", "bytes": "04 00 00 00"})");
    EXPECT_EQ(QueryDriveVisibility(binary, 'C'), 2);
    auto& text = machineWithPolicy(R"("4")");
    EXPECT_EQ(QueryDriveVisibility(text, 'C'), 2);
    auto& qword = machineWithPolicy(R"({"type": "REG_QWORD", "data": 4})");
    EXPECT_EQ(QueryDriveVisibility(qword, 'C'), 2);
}

TEST_F(Visibility, MissingKeyIsCreatedEmptyAndMeansNoPolicy) {
    auto& m = machineWith(R"({"letter": "C"})");
    ASSERT_FALSE(m.registryKeyExists(kExplorerPolicyKey));
    EXPECT_EQ(QueryDriveVisibility(m, 'C'), 2);
    EXPECT_TRUE(m.registryKeyExists(kExplorerPolicyKey));
    EXPECT_FALSE(m.registryValue(kExplorerPolicyKey, kNoDrivesValue, nullptr, nullptr));
    EXPECT_EQ(m.openKeyCount(), 0);
}

TEST_F(Visibility, KeyThatCannotBeOpenedMeansNoPolicy) {
    auto& m = machineWith(R"({"letter": "C"})", R"("faults": [{"operation": "RegCreateKeyExA", "error": 5}])");
    EXPECT_EQ(QueryDriveVisibility(m, 'C'), 2);
    EXPECT_EQ(m.openKeyCount(), 0);
}

TEST_F(UnavailableConnection, OnlyARememberedUnreachableConnection) {
    auto& m = machineWith(R"({"letter": "C"}, {"letter": "M", "type": 4}, {"letter": "N", "type": 4},
                            {"letter": "O", "type": 4})",
                         R"("network": {
        "connections": [{"letter": "M", "remote": "\\\\server\\share"},
                        {"letter": "N", "remote": "\\\\down\\share", "state": "unavailable"},
                        {"letter": "O", "remote": "\\\\odd\\share", "state": {"error": 1222}}],
        "remembered": [{"letter": "P", "remote": "\\\\old\\share"}]})");
    EXPECT_FALSE(IsUnavailableConnection(m, "M:"));
    EXPECT_TRUE(IsUnavailableConnection(m, "N:"));
    EXPECT_FALSE(IsUnavailableConnection(m, "O:"));
    EXPECT_TRUE(IsUnavailableConnection(m, "P:"));
    EXPECT_FALSE(IsUnavailableConnection(m, "C:"));
    EXPECT_FALSE(IsUnavailableConnection(m, "Q:"));
    const auto queries = callsOf(m, "WNetGetConnectionA");
    ASSERT_FALSE(queries.empty());
    EXPECT_EQ(queries[0]->arguments[0], "M:");
}

}  // namespace
}  // namespace zv::survey
