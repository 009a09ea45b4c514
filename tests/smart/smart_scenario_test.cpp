// ReadSmartData, IdentifyDrive and the S.M.A.R.T. window's fields on simulated machines:
// the requests as the disk driver receives them, every failure text, and what is shown.
#include "smart/smart_access.h"
#include "smart/smart_view.h"

#include "platform/api/disk_requests.h"
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

using namespace zv;
using namespace zv::smart;
using zv::test::callsNamed;
using zv::test::describeCalls;
using zv::test::machineJson;

namespace {

// The SENDCMDINPARAMS of every S.M.A.R.T. request, in order.
std::vector<platform::SendCmdInParams> smartRequests(const sim::SimPlatform& m) {
    std::vector<platform::SendCmdInParams> out;
    for (const auto* call : callsNamed(m, "DeviceIoControl")) {
        const std::string& code = call->arguments[1];
        if ((code.find("7C084") != std::string::npos || code.find("7C088") != std::string::npos ||
             code.find("7c084") != std::string::npos || code.find("7c088") != std::string::npos) &&
            call->input.size() >= 32)
            out.push_back(platform::SendCmdInParams::decode(call->input.data()));
    }
    return out;
}

std::string diskMachine(const std::string& disk, const std::string& system = R"("system": {"family": "nt"})") {
    return machineJson(system + R"(, "drives": [{"letter": "C", "disk": {"number": 0, "partition": 1}}], "disks": [)" +
                       disk + "]");
}

const char* kGoodDisk = R"({"number": 0, "identify": {"model": "TEST DISK", "serial": "SN1", "firmware": "FW1", "sectors": 1000},
  "smart": {"attributes": [{"id": 5, "flags": 51, "current": 100, "raw": 0, "threshold": 36},
                           {"id": 194, "flags": 34, "current": 40, "worst": 50, "raw": "28 00 00 00 00 00"}]}})";

class SmartScenario : public zv::test::SimFixture {};

}  // namespace

TEST_F(SmartScenario, HealthyDiskRequestsInOrderAndShowsEveryField) {
    auto& m = loadExample("disks-healthy");
    TSmartResult result;
    std::string error;
    ASSERT_TRUE(ReadSmartData(m, 0, result, error)) << error << describeCalls(m);
    EXPECT_EQ(error, "");
    EXPECT_EQ(result.DriveNo, 0);
    EXPECT_EQ(result.AttrCount, 11);
    EXPECT_EQ(result.Model, "ST3120026AS");
    EXPECT_EQ(result.Firmware, "3.18");
    EXPECT_EQ(result.IdentWord47, 0x8010);

    const auto requests = smartRequests(m);
    ASSERT_EQ(requests.size(), 4u) << describeCalls(m);
    const uint8_t features[] = {0xD8, 0x00, 0xD0, 0xD1};
    const uint8_t commands[] = {0xB0, 0xEC, 0xB0, 0xB0};
    const uint32_t sizes[] = {0, 512, 512, 512};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(requests[i].regs.features, features[i]) << i;
        EXPECT_EQ(requests[i].regs.command, commands[i]) << i;
        EXPECT_EQ(requests[i].bufferSize, sizes[i]) << i;
        EXPECT_EQ(requests[i].regs.driveHead, 0xA0) << i;
        EXPECT_EQ(requests[i].regs.sectorCount, 1) << i;
        EXPECT_EQ(requests[i].regs.sectorNumber, 1) << i;
        EXPECT_EQ(requests[i].driveNumber, 0) << i;
    }

    SmartView view(m);
    view.formShow();
    ASSERT_EQ(view.items(), (std::vector<std::string>{"C: [System]", "D: [Data]"}));
    const SmartFields& f = view.fields();
    EXPECT_EQ(f.physicalDrive, "0");
    EXPECT_EQ(f.verdict, "SMART Test Passed");
    EXPECT_EQ(f.temperature, "38\xC2\xB0" "C");
    EXPECT_EQ(f.model, "ST3120026AS");
    EXPECT_EQ(f.serial, "5JT1ABCD");
    EXPECT_EQ(f.size, "120,034,123,776");
    EXPECT_EQ(f.status, "");
    ASSERT_EQ(f.rows.size(), 11u);
    EXPECT_EQ(f.rows[0], (SmartRow{"1", "Raw Read Error Rate", "OK", "117", "99", "6", "161,036,408", "Yes", "No", "Yes"}));
    EXPECT_EQ(f.rows[7][6], "1,234,567");
    EXPECT_EQ(f.rows[9][6], "2,733,861,917") << "a raw value above 32 bits is shown whole";
    EXPECT_EQ(f.rows[3][5], "36");

    view.formShow();
    EXPECT_EQ(view.items().size(), 2u) << "showing the window again does not repeat the drives";
}

TEST_F(SmartScenario, FailingDiskCountsFailedAttributes) {
    auto& m = loadExample("disks-failing");
    SmartView view(m);
    view.formShow();
    const SmartFields& f = view.fields();
    EXPECT_EQ(f.verdict, "SMART Test Failed, Bad Attributes 2");
    ASSERT_EQ(f.rows.size(), 9u);
    EXPECT_EQ(f.rows[1][2], "Warning") << "reallocated sectors";
    EXPECT_EQ(f.rows[2][2], "Failing Now") << "seek error rate at its threshold";
    EXPECT_EQ(f.rows[4][2], "Failed In Past");
    EXPECT_EQ(f.serial, "MPA3BAX1234");
    EXPECT_EQ(f.temperature, "38\xC2\xB0" "C");
}

TEST_F(SmartScenario, SpinUpTimeOf253ChangesTheScaleAndThresholdsFollowTheirIds) {
    auto& m = loadExample("disks-scale253");
    TSmartResult r;
    std::string error;
    ASSERT_TRUE(ReadSmartData(m, 0, r, error));
    EXPECT_EQ(r.Threshold[0], 23);
    EXPECT_EQ(r.Threshold[1], 63);
    EXPECT_EQ(r.Threshold[3], 63);
    EXPECT_EQ(r.Threshold[4], 23);
    EXPECT_EQ(r.State[0], "OK") << "judged on 100 before the switch";
    EXPECT_EQ(r.State[1], "OK");
    EXPECT_EQ(r.State[2], "-") << "threshold 0";
    EXPECT_EQ(r.State[4], "Warning") << "100 < 23 + (253 - 23) / 2";
    EXPECT_EQ(r.State[5], "-") << "no pre-failure flag";
    EXPECT_EQ(r.FailCount, 0);
    EXPECT_EQ(r.WarnCount, 1);
    EXPECT_EQ(r.PowerOnHours, 5401 / 60 + 1);
}

TEST_F(SmartScenario, UsbStickWithoutSmartLeavesFieldsEmptyAndSaysWhy) {
    auto& m = loadExample("disks-usb-stick");
    SmartView view(m);
    view.formShow();
    view.setBoxText("E: [STICK]");
    const SmartFields& f = view.fields();
    EXPECT_EQ(f.physicalDrive, "1");
    EXPECT_EQ(f.verdict, "");
    EXPECT_EQ(f.temperature, "");
    EXPECT_TRUE(f.rows.empty());
    EXPECT_EQ(f.status, "Identify Command Failed on Drive: Invalid IOCTL bIDEStatus=0000 : Incorrect function");
}

TEST_F(SmartScenario, AtapiDeviceGetsNoEnableAndIdentifyPacket) {
    auto& m = load(diskMachine(R"({"number": 0, "atapi": true, "identify": {"model": "DVD"}})"));
    std::string error, model, serial;
    int64_t size = -1;
    ASSERT_TRUE(IdentifyDrive(m, 0, error, model, serial, size)) << describeCalls(m);
    EXPECT_EQ(model, "DVD");
    const auto requests = smartRequests(m);
    ASSERT_EQ(requests.size(), 1u) << "no enable request for an ATAPI device";
    EXPECT_EQ(requests[0].regs.command, 0xA1);
}

TEST_F(SmartScenario, SecondDeviceOnlyIsAddressedAsDeviceOne) {
    auto& m = load(diskMachine(std::string(kGoodDisk).replace(std::string(kGoodDisk).find("\"identify\""), 0,
                                                              "\"device_map\": 2, ")));
    TSmartResult r;
    std::string error;
    ASSERT_TRUE(ReadSmartData(m, 0, r, error)) << error << describeCalls(m);
    EXPECT_EQ(r.DriveNo, 1);
    for (const auto& request : smartRequests(m)) {
        EXPECT_EQ(request.regs.driveHead, 0xB0);
        EXPECT_EQ(request.driveNumber, 1);
    }
}

TEST_F(SmartScenario, NoTemperatureAttributeLeavesTheTemperatureEmpty) {
    auto& m = load(diskMachine(R"({"number": 0, "identify": {"model": "M"},
        "smart": {"attributes": [{"id": 5, "flags": 51, "current": 100, "raw": 0, "threshold": 36}]}})"));
    SmartView view(m);
    view.formShow();
    EXPECT_EQ(view.fields().verdict, "SMART Test Passed");
    EXPECT_EQ(view.fields().temperature, "");
}

TEST_F(SmartScenario, FailureTextsOfEveryRequest) {
    struct Case {
        const char* failure;
        const char* text;
    };
    const Case cases[] = {
        {R"({"request": "attributes", "driver_status": 1, "ide_error": 4})",
         "SMART Read Attr Command Failed, Drive: 0 : The request could not be performed because of an I/O device error; "
         "DriverStatus: Error from IDE controller; bIDEStatus=0004"},
        {R"({"request": "thresholds", "error": 31, "driver_status": 11, "ide_error": 171})",
         "SMART Read Threshold Command Failed, Drive: 0 : A device attached to the system is not functioning; "
         "DriverStatus: Unknown driver status 11; bIDEStatus=00AB"},
        {R"({"request": "identify", "driver_status": 7, "ide_error": 0})",
         "Identify Command Failed on Drive: Could not lock user\"s buffer bIDEStatus=0000 : "
         "The request could not be performed because of an I/O device error"},
        {R"({"request": "version", "error": 1})", "DFP_GET_VERSION failed: Incorrect function"},
        {R"({"request": "open", "error": 5})", "Unable to open physical drive: Access is denied"},
    };
    for (const auto& c : cases) {
        std::string disk = kGoodDisk;
        disk.insert(disk.size() - 1, std::string(", \"failures\": [") + c.failure + "]");
        auto& m = load(diskMachine(disk));
        TSmartResult r;
        std::string error;
        EXPECT_FALSE(ReadSmartData(m, 0, r, error)) << c.failure;
        EXPECT_EQ(error, c.text) << describeCalls(m);
        EXPECT_EQ(r.AttrCount, 0);
    }
}

TEST_F(SmartScenario, EnableFailureStaysInTheTextWhileTheReadSucceeds) {
    std::string disk = kGoodDisk;
    disk.insert(disk.size() - 1, R"(, "failures": [{"request": "enable", "error": 1, "driver_status": 2}])");
    auto& m = load(diskMachine(disk));
    TSmartResult r;
    std::string error;
    EXPECT_TRUE(ReadSmartData(m, 0, r, error));
    EXPECT_EQ(error, "SMART Enable Command Failed, Drive: 0 : Incorrect function");
    EXPECT_EQ(r.AttrCount, 2);
}

TEST_F(SmartScenario, EmptyDeviceMapSucceedsWithNothing) {
    std::string disk = kGoodDisk;
    disk.insert(1, R"("device_map": 0, )");
    auto& m = load(diskMachine(disk));
    TSmartResult r;
    std::string error;
    EXPECT_TRUE(ReadSmartData(m, 0, r, error));
    EXPECT_EQ(r.DriveNo, -1);
    EXPECT_EQ(r.AttrCount, 0);
    SmartView view(m);
    view.formShow();
    EXPECT_EQ(view.fields().status, "The disk reports no S.M.A.R.T. attributes.");
}

TEST_F(SmartScenario, WithoutAdministratorRightsTheStatusSaysSo) {
    auto& m = load(diskMachine(kGoodDisk, R"("system": {"family": "nt", "administrator": false})"));
    SmartView view(m);
    view.formShow();
    EXPECT_EQ(view.fields().physicalDrive, "0");
    EXPECT_EQ(view.fields().verdict, "");
    EXPECT_EQ(view.fields().status,
              "Reading S.M.A.R.T. data needs administrator (root) rights. Unable to open physical drive: Access is denied");
}

TEST_F(SmartScenario, DriveOnNoDiskShowsMinusOne) {
    auto& m = load(machineJson(R"("drives": [{"letter": "C"}])"));
    SmartView view(m);
    view.formShow();
    EXPECT_EQ(view.fields().physicalDrive, "-1");
    EXPECT_EQ(view.fields().status.rfind("Unable to open physical drive: ", 0), 0u) << view.fields().status;
}

TEST_F(SmartScenario, OlderFamilyReadsThroughTheSmartDriver) {
    auto& m = load(diskMachine(kGoodDisk, R"("system": {"family": "windows"})"));
    TSmartResult result;
    std::string error;
    ASSERT_TRUE(ReadSmartData(m, 0, result, error)) << error << describeCalls(m);
    EXPECT_EQ(result.Model, "TEST DISK");
    EXPECT_EQ(result.AttrCount, 2);
    bool openedDriver = false;
    for (const auto* call : callsNamed(m, "CreateFileA"))
        openedDriver = openedDriver || call->arguments[0].find("SMARTVSD") != std::string::npos;
    EXPECT_TRUE(openedDriver) << describeCalls(m);
}
