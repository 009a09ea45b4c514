// Faults declared in the machine file: which calls they hit, after how many, how often,
// and the time they add.
#include "support/sim_fixture.h"

#include "platform/api/pass_through.h"

#include <gtest/gtest.h>

namespace zv::test {
namespace {

class Faults : public SimFixture {};

std::string withFaults(const std::string& faults) {
    return machineJson(R"("drives": [{"letter": "C"}, {"letter": "D"}], "faults": )" + faults);
}

TEST_F(Faults, AfterAndCountChooseTheFailingCalls) {
    auto& m = load(withFaults(R"([{"operation": "GetVolumeInformationA", "target": "D:", "error": 21, "after": 1, "count": 2}])"));
    std::vector<bool> results;
    for (int i = 0; i < 5; ++i) results.push_back(m.drives().GetVolumeInformationA("D:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(results, (std::vector<bool>{true, false, false, true, true}));
    EXPECT_TRUE(m.drives().GetVolumeInformationA("C:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
}

TEST_F(Faults, FailureHasTheCallsOwnShape) {
    auto& m = load(withFaults(R"([
        {"operation": "CreateFileA", "target": "C:", "error": 5},
        {"operation": "RegOpenKeyExA", "error": 1009},
        {"operation": "WNetGetConnectionA", "target": "D:", "error": 1222},
        {"operation": "ShellExecuteA", "error": 2},
        {"operation": "GetLogicalDrives", "error": 31, "count": 1}])"));
    EXPECT_EQ(m.io().CreateFileA("\\\\.\\C:", 0, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(m.GetLastError(), 5u);
    EXPECT_EQ(m.io().CreateFileA("C:\\x.tmp", GENERIC_WRITE, 0, CREATE_NEW, 0), INVALID_HANDLE_VALUE);
    HKEY key = 0;
    EXPECT_EQ(m.registry().RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), 1009);
    char remote[260];
    DWORD length = 260;
    EXPECT_EQ(m.network().WNetGetConnectionA("D:", remote, &length), 1222u);
    EXPECT_EQ(m.shell().ShellExecuteA(0, "open", "x", nullptr, nullptr, 1), 2);
    EXPECT_EQ(m.drives().GetLogicalDrives(), 0u);
    EXPECT_EQ(m.GetLastError(), 31u);
    EXPECT_EQ(m.drives().GetLogicalDrives(), 0xCu);
    const auto calls = callsNamed(m, "CreateFileA");
    ASSERT_FALSE(calls.empty());
    ASSERT_FALSE(calls[0]->notes.empty());
    EXPECT_NE(calls[0]->notes[0].find("/faults/0"), std::string::npos);
}

TEST_F(Faults, ControlCodeAndOpcodeNarrowTheFault) {
    auto& m = load(machineJson(R"("drives": [{"letter": "C", "inquiry": {"vendor": "ATA"}}],
        "faults": [{"operation": "DeviceIoControl", "target": "C:", "code": "0x4D014", "opcode": "0x12", "error": 1117}])"));
    const HANDLE device = m.io().CreateFileA("\\\\.\\C:", GENERIC_READ | GENERIC_WRITE, 3, OPEN_EXISTING, 0);
    const uint8_t query[12] = {};
    uint8_t out[64] = {};
    DWORD returned = 0;
    EXPECT_TRUE(m.io().DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, query, 12, out, 64, &returned));
    platform::PassThroughRequest request;
    const uint8_t cdb[6] = {0x12, 0, 0, 0, 100, 0};
    request.build({6, 24, 100, 2}, cdb, 6);
    uint8_t data[100] = {};
    EXPECT_FALSE(m.io().ScsiPassThroughDirect(device, request.data(), 80, data, &returned));
    EXPECT_EQ(m.GetLastError(), 1117u);
    m.io().CloseHandle(device);
}

TEST_F(Faults, DelaysAdvanceTheSimulatedClock) {
    auto& m = load(machineJson(R"("system": {"tick_count": 1000}, "drives": [{"letter": "C"}],
        "faults": [{"operation": "GetDiskFreeSpaceExA", "delay_ms": 1500}])"));
    EXPECT_EQ(m.system().GetTickCount(), 1000u);
    ULONGLONG free = 0;
    EXPECT_TRUE(m.drives().GetDiskFreeSpaceExA("C:\\", &free, nullptr, nullptr));
    EXPECT_EQ(m.system().GetTickCount(), 2500u);
    EXPECT_EQ(m.system().MonotonicNanoseconds(), 2500000000ull);
    m.system().Sleep(20);
    EXPECT_EQ(m.system().GetTickCount(), 2520u);
}

TEST_F(Faults, FaultsNeedAnErrorOrADelay) {
    EXPECT_THROW(load(withFaults(R"([{"operation": "ReadFile"}])")), sim::MachineFileError);
}

}  // namespace
}  // namespace zv::test
