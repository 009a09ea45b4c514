// System facts, network connections, shell calls and the call log of the simulated machine.
#include "support/sim_fixture.h"

#include "platform/api/codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv::test {
namespace {

class SystemFacts : public SimFixture {};

// The groups of a TokenGroups answer as "S-1-5-32-544" texts.
std::vector<std::string> groupSids(const std::vector<uint8_t>& buffer) {
    std::vector<std::string> sids;
    const uint32_t count = codec::getLe32(buffer.data());
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* sid = buffer.data() + codec::getLe32(buffer.data() + 4 + 8 * i);
        std::string text = "S-" + std::to_string(sid[0]) + "-" + std::to_string(sid[7]);
        for (uint8_t k = 0; k < sid[1]; ++k) text += "-" + std::to_string(codec::getLe32(sid + 8 + 4 * k));
        sids.push_back(text);
    }
    return sids;
}

std::vector<uint8_t> processGroups(sim::SimPlatform& m, DWORD size, BOOL* ok) {
    auto& s = m.system();
    HANDLE token = 0;
    EXPECT_FALSE(s.OpenThreadToken(TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(s.GetLastError(), ERROR_NO_TOKEN);
    EXPECT_TRUE(s.OpenProcessToken(TOKEN_QUERY, &token));
    std::vector<uint8_t> buffer(size);
    DWORD needed = 0;
    *ok = s.GetTokenInformation(token, TokenGroups, buffer.data(), size, &needed);
    m.io().CloseHandle(token);
    return buffer;
}

TEST_F(SystemFacts, AdministratorsGroupFollowsTheFile) {
    BOOL ok = FALSE;
    auto admin = processGroups(load(machineJson(R"("system": {"administrator": true})")), 1024, &ok);
    ASSERT_TRUE(ok);
    const auto sids = groupSids(admin);
    EXPECT_NE(std::find(sids.begin(), sids.end(), "S-1-5-32-544"), sids.end());
    auto user = processGroups(load(machineJson(R"("system": {"administrator": false})")), 1024, &ok);
    ASSERT_TRUE(ok);
    const auto userSids = groupSids(user);
    EXPECT_EQ(std::find(userSids.begin(), userSids.end(), "S-1-5-32-544"), userSids.end());
    EXPECT_EQ(userSids.front(), "S-1-1-0");
}

TEST_F(SystemFacts, ALongGroupListDoesNotFitOneKilobyte) {
    BOOL ok = TRUE;
    processGroups(load(machineJson(R"("system": {"token": {"group_count": 40}})")), 1024, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(machine().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(SystemFacts, VersionLocaleMessagesAndLibraries) {
    auto& m = load(machineJson(R"("system": {"family": "windows", "version": {"major": 4, "minor": 90, "build": 3000},
        "locale": {"decimal": ",", "thousands": "."}}, "libraries": {"kernel32.dll": ["GetDiskFreeSpaceExA"]})"));
    auto& s = m.system();
    OSVERSIONINFOA info;
    ASSERT_TRUE(s.GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(info.dwMinorVersion, 90u);
    info.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(s.GetVersionExA(&info));
    EXPECT_EQ(s.GetLocaleSeparators().decimal, ",");
    EXPECT_EQ(s.GetLocaleSeparators().thousands, ".");
    EXPECT_EQ(s.FormatMessageA(5), "Access is denied.\r\n");
    EXPECT_EQ(s.FormatMessageA(21), "The device is not ready.\r\n");
    EXPECT_EQ(s.FormatMessageA(99999), "");

    const HMODULE kernel = s.LoadLibraryA("Kernel32.dll");
    ASSERT_NE(kernel, 0u);
    EXPECT_TRUE(s.GetProcAddress(kernel, "getdiskfreespaceexa"));
    EXPECT_FALSE(s.GetProcAddress(kernel, "FindFirstVolumeA"));
    EXPECT_EQ(s.GetLastError(), ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(m.openHandleCount(), 1);
    EXPECT_TRUE(s.FreeLibrary(kernel));
    EXPECT_EQ(s.LoadLibraryA("fmifs.dll"), 0u);
    EXPECT_EQ(s.GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST_F(SystemFacts, VolumeAndSpaceCallsTellTheirFailures) {
    auto& m = load(machineJson(R"("drives": [
        {"letter": "C", "volume": {"label": "Données", "serial": "1A2B-3C4D", "file_system": "NTFS"}},
        {"letter": "A", "type": 2, "medium_present": false},
        {"letter": "Y", "type": 0, "volume": {"error": 1005}, "space": {"error": 1005}}])"));
    auto& d = m.drives();
    char label[81], fs[21];
    DWORD serial = 0;
    ASSERT_TRUE(d.GetVolumeInformationA("C:\\", label, 81, &serial, nullptr, nullptr, fs, 21));
    EXPECT_STREQ(label, "Données");
    EXPECT_EQ(serial, 0x1A2B3C4Du);
    EXPECT_FALSE(d.GetVolumeInformationA("C:\\", label, 7, &serial, nullptr, nullptr, fs, 21));
    EXPECT_EQ(m.GetLastError(), ERROR_BAD_LENGTH);
    char16_t wide[81];
    ASSERT_TRUE(d.GetVolumeInformationW(u"C:\\", wide, 81, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(std::u16string(wide), u"Données");
    EXPECT_FALSE(d.GetVolumeInformationA("C:", label, 81, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(m.GetLastError(), ERROR_INVALID_NAME);

    ULONGLONG free = 0;
    EXPECT_FALSE(d.GetDiskFreeSpaceExA("Y:\\", &free, nullptr, nullptr));
    EXPECT_EQ(m.GetLastError(), 1005u);
    const UINT previous = d.SetErrorMode(SEM_FAILCRITICALERRORS);
    EXPECT_FALSE(d.GetDiskFreeSpaceExA("A:\\", &free, nullptr, nullptr));
    EXPECT_EQ(m.GetLastError(), ERROR_NOT_READY);
    EXPECT_EQ(m.criticalErrorDialogCount(), 0);
    d.SetErrorMode(previous);
    EXPECT_FALSE(d.GetDiskFreeSpaceA("A:\\", nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(m.criticalErrorDialogCount(), 1);

    char roots[16];
    EXPECT_EQ(d.GetLogicalDriveStringsA(8, roots), 13u);
    EXPECT_EQ(d.GetLogicalDriveStringsA(sizeof roots, roots), 12u);
    EXPECT_EQ(std::string(roots, 13), std::string("A:\\\0C:\\\0Y:\\\0\0", 13));
    EXPECT_EQ(d.GetDriveTypeA("C:"), DRIVE_FIXED);
    EXPECT_EQ(d.GetDriveTypeA("Q:\\"), DRIVE_NO_ROOT_DIR);
}

class Network : public SimFixture {
protected:
    void SetUp() override {
        load(machineJson(R"("drives": [{"letter": "C"}, {"letter": "N", "type": 4}, {"letter": "U", "type": 4}],
            "network": {"connections": [{"letter": "N", "remote": "\\\\server\\share"},
                                        {"letter": "U", "remote": "\\\\down\\share", "state": "unavailable"}],
                        "remembered": [{"letter": "R", "remote": "\\\\old\\share"}],
                        "shares": {"\\\\nas\\media": "ok", "\\\\dead\\x": 53}})"));
    }
    DWORD connection(const char* name, std::string* remote = nullptr, DWORD length = 260) {
        char buffer[260] = {};
        const DWORD result = machine().network().WNetGetConnectionA(name, buffer, &length);
        if (remote) *remote = buffer;
        return result;
    }
};

TEST_F(Network, ConnectionStatesAndBufferSizes) {
    std::string remote;
    EXPECT_EQ(connection("N:", &remote), NO_ERROR);
    EXPECT_EQ(remote, "\\\\server\\share");
    EXPECT_EQ(connection("U:"), ERROR_CONNECTION_UNAVAIL);
    EXPECT_EQ(connection("R:"), ERROR_CONNECTION_UNAVAIL);
    EXPECT_EQ(connection("C:"), ERROR_NOT_CONNECTED);
    EXPECT_EQ(connection("N"), ERROR_BAD_DEVICE);
    char small[4];
    DWORD length = sizeof small;
    EXPECT_EQ(machine().network().WNetGetConnectionA("N:", small, &length), ERROR_MORE_DATA);
    EXPECT_EQ(length, 15u);
    EXPECT_EQ(machine().drives().GetDriveTypeA("R:\\"), DRIVE_NO_ROOT_DIR);
}

TEST_F(Network, ConnectingAndCancellingChangeTheLetters) {
    auto& net = machine().network();
    EXPECT_EQ(net.WNetAddConnection2A("\\\\dead\\x", "M:", nullptr, 0), 53u);
    EXPECT_EQ(net.LastConnectionMessage(), "The network path was not found.");
    EXPECT_EQ(net.WNetAddConnection2A("\\\\nas\\media", "C:", nullptr, 0), 85u);
    EXPECT_EQ(net.WNetAddConnection2A("\\\\nas\\media", "M:", nullptr, CONNECT_UPDATE_PROFILE), NO_ERROR);
    EXPECT_EQ(net.LastConnectionMessage(), "");
    EXPECT_EQ(machine().drives().GetDriveTypeA("M:\\"), DRIVE_REMOTE);
    EXPECT_EQ(connection("M:"), NO_ERROR);
    EXPECT_EQ(net.WNetCancelConnection2A("M:", 0, FALSE), NO_ERROR);
    EXPECT_EQ(machine().drives().GetDriveTypeA("M:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(net.WNetCancelConnection2A("M:", 0, FALSE), ERROR_NOT_CONNECTED);
    EXPECT_EQ(net.WNetCancelConnection2A("\\\\old\\share", 0, FALSE), NO_ERROR);
    EXPECT_EQ(connection("R:"), ERROR_NOT_CONNECTED);
}

class CallLog : public SimFixture {};

TEST_F(CallLog, ShellCallsAreRecordedWithNullAndEmptyApart) {
    auto& m = load(machineJson(R"("shell": {"browse_folder": ["C:\\Temp", null],
        "automation": [{"prog_id": "Shell.Application", "method": "MinimizeAll", "hresult": "0x80004005", "message": "Unspecified error"}]})"));
    auto& shell = m.shell();
    EXPECT_EQ(shell.ShellExecuteA(0, "open", "explorer.exe", "", nullptr, SW_SHOWNORMAL), 42);
    const auto calls = callsNamed(m, "ShellExecuteA");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0]->arguments, (std::vector<std::string>{"0x0", "open", "explorer.exe", "", "(null)", "1"}));
    EXPECT_EQ(calls[0]->result, "42");

    SHELLEXECUTEINFOA info;
    info.cbSize = 60;
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpVerb = "properties";
    info.lpFile = "C:\\";
    EXPECT_TRUE(shell.ShellExecuteExA(&info));
    info.cbSize = 64;
    EXPECT_FALSE(shell.ShellExecuteExA(&info));
    EXPECT_EQ(shell.WinExec("dfrg.msc", SW_SHOWNORMAL), 33u);

    std::string folder;
    EXPECT_TRUE(shell.BrowseForFolderA(0, "Select Directory", BIF_RETURNONLYFSDIRS, &folder));
    EXPECT_EQ(folder, "C:\\Temp");
    EXPECT_FALSE(shell.BrowseForFolderA(0, "Select Directory", BIF_RETURNONLYFSDIRS, &folder));

    std::string error;
    EXPECT_EQ(shell.AutomationCall("Shell.Application", "minimizeall", &error), E_FAIL);
    EXPECT_EQ(error, "Unspecified error");
    EXPECT_EQ(shell.AutomationCall("Shell.Application", "FindFiles", &error), S_OK);
    EXPECT_EQ(shell.mciSendStringA("set cdaudio door open wait", nullptr, 0, 0), MCIERR_INVALID_DEVICE_NAME);

    m.clearCalls();
    EXPECT_TRUE(m.calls().empty());
}

TEST_F(CallLog, EveryCallIsLoggedInOrderWithItsResult) {
    auto& m = load(machineJson(R"("drives": [{"letter": "C"}])"));
    m.drives().GetLogicalDrives();
    m.drives().GetDriveTypeA("C:\\");
    m.drives().GetDiskFreeSpaceExA("Q:\\", nullptr, nullptr, nullptr);
    ASSERT_EQ(m.calls().size(), 3u);
    EXPECT_EQ(m.calls()[0].operation, "GetLogicalDrives");
    EXPECT_EQ(m.calls()[0].result, "0x4");
    EXPECT_EQ(m.calls()[1].arguments, std::vector<std::string>{"C:\\"});
    EXPECT_EQ(m.calls()[1].result, "3");
    EXPECT_EQ(m.calls()[2].result, "FALSE (3)");
}

}  // namespace
}  // namespace zv::test
