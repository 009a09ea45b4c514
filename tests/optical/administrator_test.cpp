// The pass-through gate: platform classes and the administrator test on the token.
#include "optical/administrator_test.h"
#include "optical/iso_disc_lib.h"
#include "optical_machine.h"

#include <gtest/gtest.h>

namespace zv::optical {
namespace {

using namespace zv::optical::testing;

OSVERSIONINFOA version(DWORD platform, DWORD major, DWORD minor) {
    OSVERSIONINFOA info;
    info.dwPlatformId = platform;
    info.dwMajorVersion = major;
    info.dwMinorVersion = minor;
    return info;
}

TEST(PlatformClass, Table) {
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_NT, 3, 51)), 2);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_NT, 3, 99)), 2);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_NT, 3, 50)), 5);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_NT, 4, 0)), 3);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_NT, 5, 0)), 4);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_NT, 5, 1)), 5);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_NT, 10, 0)), 5);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_WINDOWS, 4, 0)), 0);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32_WINDOWS, 4, 10)), 1);
    EXPECT_EQ(PlatformClass(version(VER_PLATFORM_WIN32s, 3, 10)), -1);
}

std::string systemWith(const std::string& fields) { return "\"system\": {" + fields + "}"; }

bool allowedOn(const std::string& system) {
    auto m = machine(opticalDrive("{}"), systemWith(system));
    NullEventPump pump;
    TISODiscLib library(*m, pump);
    EXPECT_EQ(m->openHandleCount(), 0) << "the token is closed";
    return library.PassThroughAllowed();
}

TEST(AdministratorGate, WhoMaySendCommands) {
    EXPECT_TRUE(allowedOn(R"("administrator": true)"));
    EXPECT_TRUE(allowedOn(R"("administrator": true, "token": {"thread": true})"));
    EXPECT_TRUE(allowedOn(R"("administrator": true, "version": {"major": 4, "minor": 0})"));
    EXPECT_TRUE(allowedOn(R"("administrator": true, "version": {"major": 5, "minor": 0})"));
    EXPECT_FALSE(allowedOn(R"("administrator": false)"));
    EXPECT_FALSE(allowedOn(R"("administrator": true, "family": "windows", "version": {"major": 4, "minor": 10})"));
    EXPECT_FALSE(allowedOn(R"("administrator": true, "version": {"major": 3, "minor": 51})"));
    // 37 groups of 28 bytes and more do not fit the 1024-byte buffer.
    EXPECT_TRUE(allowedOn(R"("administrator": true, "token": {"group_count": 20})"));
    EXPECT_FALSE(allowedOn(R"("administrator": true, "token": {"group_count": 40})"));
}

TEST(AdministratorGate, NothingIsSentWithoutTheRight) {
    for (const char* system : {R"("administrator": false)", R"("family": "windows", "version": {"major": 4, "minor": 10})",
                               R"("version": {"major": 3, "minor": 51})"}) {
        auto m = machine(opticalDrive("{}"), systemWith(system));
        NullEventPump pump;
        EXPECT_EQ(QueryDriveCapabilitySummary(*m, pump, 'D'), "");
        EXPECT_TRUE(passThroughBlocks(*m).empty()) << system;
        for (const auto& call : m->calls()) EXPECT_NE(call.operation, "CreateFileA") << system;
    }
}

TEST(AdministratorGate, GroupBufferIsReadWithinItsLength) {
    // One group whose identifier offset points past the buffer, then the Administrators SID.
    uint8_t groups[64] = {};
    groups[0] = 2;
    groups[4] = 200;                      // outside
    groups[12] = 20;                      // second group's SID at 20
    const uint8_t admins[16] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
    std::copy(std::begin(admins), std::end(admins), groups + 20);
    EXPECT_TRUE(GroupsContainAdministrators(groups, 36));
    EXPECT_FALSE(GroupsContainAdministrators(groups, 35));  // the SID would end past the length
    groups[20 + 12] = 0x21;                                 // S-1-5-32-545 (Users)
    EXPECT_FALSE(GroupsContainAdministrators(groups, 36));
    groups[0] = 0xFF;                                       // a count far beyond the buffer
    EXPECT_FALSE(GroupsContainAdministrators(groups, 64));
}

}  // namespace
}  // namespace zv::optical
