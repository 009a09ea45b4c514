// An NVMe disk in the S.M.A.R.T. window's logic on simulated machines: it is recognised by
// its bus, asked for its identify pages and health log through the protocol-specific storage
// queries, and shown; its failures are told in words.
#include <gtest/gtest.h>

#include "platform/api/storage_protocol.h"
#include "smart/nvme_access.h"
#include "smart/smart_view.h"
#include "support/sim_fixture.h"

using namespace zv;
using namespace zv::smart;
using zv::test::callsNamed;
using zv::test::describeCalls;
using zv::test::machineJson;
using namespace zv::win;

namespace {

// Property, data type and request value of every protocol-specific query, in order.
struct ProtocolRequest {
    uint32_t propertyId, dataType, value, subValue, length;
    bool operator==(const ProtocolRequest& o) const {
        return propertyId == o.propertyId && dataType == o.dataType && value == o.value &&
               subValue == o.subValue && length == o.length;
    }
};
std::vector<ProtocolRequest> protocolRequests(const sim::SimPlatform& m) {
    std::vector<ProtocolRequest> out;
    for (const auto* call : callsNamed(m, "DeviceIoControl")) {
        if (call->input.size() < platform::ProtocolQueryLayout::Size) continue;
        const uint32_t property = codec::getLe32(call->input.data());
        if (property != platform::StorageAdapterProtocolSpecificProperty &&
            property != platform::StorageDeviceProtocolSpecificProperty)
            continue;
        const auto d = platform::StorageProtocolSpecificData::decode(call->input.data() + 8);
        EXPECT_EQ(d.protocolType, platform::ProtocolTypeNvme);
        EXPECT_EQ(d.dataOffset, 40u);
        out.push_back({property, d.dataType, d.requestValue, d.requestSubValue, d.dataLength});
    }
    return out;
}

std::string nvmeMachine(const std::string& nvme, const std::string& extra = "",
                        const std::string& system = R"("system": {"family": "nt"})") {
    return machineJson(system + R"(, "drives": [{"letter": "C", "disk": {"number": 0, "partition": 1}}],
        "disks": [{"number": 0, "nvme": )" +
                       nvme + extra + "}]");
}

const char* kWorn =
    R"({"model": "WORN SSD", "serial": "W1", "firmware": "F1", "sectors": 2048, "sector_size": 4096,
    "health": {"critical_warning": 5, "temperature_kelvin": 0, "available_spare": 8, "available_spare_threshold": 10,
               "percentage_used": 110, "data_units_written": "18446744073709551621",
               "media_errors": "340282366920938463463374607431768211455"}})";

class NvmeScenario : public zv::test::SimFixture {};

}  // namespace

TEST_F(NvmeScenario, ExampleDiskIsAskedThroughProtocolQueriesAndShown) {
    auto& m = loadExample("disks-nvme");
    EXPECT_TRUE(IsNvmeDisk(m, 0));
    SmartView view(m);
    view.formShow();
    const SmartFields& f = view.fields();
    EXPECT_EQ(f.status, "") << describeCalls(m);
    EXPECT_EQ(f.physicalDrive, "0");
    EXPECT_EQ(f.verdict, "SMART Test Passed");
    EXPECT_EQ(f.temperature,
              "38\xC2\xB0"
              "C");
    EXPECT_EQ(f.model, "Samsung SSD 980 PRO 512GB");
    EXPECT_EQ(f.serial, "S5GXNF0R123456A");
    EXPECT_EQ(f.firmware, "5B2QGXA7");
    EXPECT_EQ(f.size, "512,110,190,592");
    ASSERT_TRUE(f.nvme);
    EXPECT_EQ(f.nvme->powerOnHours.low, 8734u);
    EXPECT_EQ(f.nvme->dataUnitsWritten.low, 19753186u);
    ASSERT_EQ(f.rows.size(), 11u);
    EXPECT_EQ(f.rows[8][1], "Power On Hours");
    EXPECT_EQ(f.rows[8][6], "8,734");

    const std::vector<ProtocolRequest> expected = {
        {platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeIdentify, 1, 0, 4096},
        {platform::StorageDeviceProtocolSpecificProperty, platform::NVMeDataTypeIdentify, 0, 0, 4096},
        {platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeLogPage, 2, 0, 512},
    };
    EXPECT_EQ(protocolRequests(m), expected) << describeCalls(m);
}

TEST_F(NvmeScenario, CriticalWarningFailsAndBigCountersStayExact) {
    auto& m = load(nvmeMachine(kWorn));
    SmartView view(m);
    view.formShow();
    const SmartFields& f = view.fields();
    EXPECT_EQ(f.status, "");
    EXPECT_EQ(f.verdict, "SMART Test Failed, Bad Attributes 2");
    EXPECT_EQ(f.temperature, "") << "0 K: the controller reports no temperature";
    EXPECT_EQ(f.size, "8,388,608") << "2048 blocks of 4096 bytes";
    ASSERT_TRUE(f.nvme);
    EXPECT_EQ(f.nvme->dataUnitsWritten.decimalText(), "18446744073709551621");
    EXPECT_EQ(f.nvme->mediaErrors.decimalText(), "340282366920938463463374607431768211455");
    EXPECT_EQ(f.rows[0][2], "Failing Now");
}

TEST_F(NvmeScenario, AtaDisksStillTakeTheAtaPath) {
    auto& m = loadExample("disks-healthy");
    EXPECT_FALSE(IsNvmeDisk(m, 0));
    SmartView view(m);
    view.formShow();
    EXPECT_FALSE(view.fields().nvme);
    EXPECT_EQ(view.fields().verdict, "SMART Test Passed");
    EXPECT_TRUE(protocolRequests(m).empty());
}

TEST_F(NvmeScenario, FailuresAreToldInWords) {
    struct Case {
        std::string extra;
        std::string system;
        const char* status;
    };
    const Case cases[] = {
        {R"(, "failures": [{"request": "nvme_log", "error": 1117}])", R"("system": {"family": "nt"})",
         "NVMe Health Log Failed: The request could not be performed because of an I/O device error"},
        {R"(, "failures": [{"request": "nvme_identify", "error": 50}])", R"("system": {"family": "nt"})",
         "NVMe Identify Controller Failed: The request is not supported"},
        {"", R"("system": {"family": "nt", "administrator": false})",
         "Reading S.M.A.R.T. data needs administrator (root) rights. Unable to open physical drive: Access "
         "is denied"},
    };
    for (const auto& c : cases) {
        auto& m = load(nvmeMachine(R"({"model": "M"})", c.extra, c.system));
        SmartView view(m);
        view.formShow();
        EXPECT_EQ(view.fields().status, c.status) << describeCalls(m);
        EXPECT_EQ(view.fields().verdict, "");
        EXPECT_TRUE(view.fields().rows.empty());
        EXPECT_FALSE(view.fields().nvme);
    }
}

TEST_F(NvmeScenario, ProtocolQueriesAreCheckedLikeTheStorageDriver) {
    auto& m = load(nvmeMachine(R"({"model": "M"})"));
    const HANDLE drive =
        m.io().CreateFileA("\\\\.\\PhysicalDrive0", win::GENERIC_READ | win::GENERIC_WRITE,
                           win::FILE_SHARE_READ | win::FILE_SHARE_WRITE, win::OPEN_EXISTING, 0);
    ASSERT_NE(drive, win::INVALID_HANDLE_VALUE);
    auto ask = [&](std::vector<uint8_t> buffer, DWORD outSize) {
        buffer.resize(std::max<size_t>(buffer.size(), outSize));
        DWORD returned = 0;
        const BOOL ok = m.io().DeviceIoControl(drive, win::IOCTL_STORAGE_QUERY_PROPERTY, buffer.data(), 48,
                                               buffer.data(), outSize, &returned);
        return ok ? DWORD(0) : m.GetLastError();
    };
    using namespace zv::platform;
    EXPECT_EQ(
        ask(buildNvmeProtocolQuery(StorageAdapterProtocolSpecificProperty, NVMeDataTypeLogPage, 2, 0, 512),
            560),
        0u);
    EXPECT_EQ(
        ask(buildNvmeProtocolQuery(StorageAdapterProtocolSpecificProperty, NVMeDataTypeLogPage, 2, 0, 512),
            559),
        win::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(
        ask(buildNvmeProtocolQuery(StorageAdapterProtocolSpecificProperty, NVMeDataTypeLogPage, 2, 0, 256),
            304),
        win::ERROR_INVALID_PARAMETER)
        << "data length below 512";
    EXPECT_EQ(
        ask(buildNvmeProtocolQuery(StorageAdapterProtocolSpecificProperty, NVMeDataTypeLogPage, 3, 0, 512),
            560),
        win::ERROR_NOT_SUPPORTED)
        << "firmware slot log";
    EXPECT_EQ(
        ask(buildNvmeProtocolQuery(StorageDeviceProtocolSpecificProperty, NVMeDataTypeIdentify, 0, 2, 4096),
            4144),
        win::ERROR_INVALID_PARAMETER)
        << "namespace 2 does not exist";
    m.io().CloseHandle(drive);
}

TEST_F(NvmeScenario, MachineFileMistakesAreNamed) {
    const std::pair<std::string, const char*> cases[] = {
        {R"({"model": "M"}, "identify": {"model": "X"})", "an NVMe disk answers no ATA commands"},
        {R"({"log_bytes": "00 01"})", "expected 512 bytes"},
        {R"({"health": {"power_on_hours": "12x"}})", "expected decimal digits"},
        {R"({"health": {"media_errors": "340282366920938463463374607431768211456"}})",
         "the counter holds 128 bits"},
        {R"({"health": {"temperature": 300}})", "temperature"},
        {R"({"sector_size": 1000})", "power of two"},
    };
    for (const auto& [nvme, message] : cases) {
        try {
            load(nvmeMachine(nvme));
            ADD_FAILURE() << "accepted: " << nvme;
        } catch (const sim::MachineFileError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
}
