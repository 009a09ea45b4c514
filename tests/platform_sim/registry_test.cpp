// The registry of HKEY_CURRENT_USER: creation with disposition, opening, typed values,
// sizes and access.
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zv::test {
namespace {

const char* const Policy = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

class Registry : public SimFixture {
protected:
    void SetUp() override {
        load(machineJson(R"("registry": {
            "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer": {"NoDrives": 4},
            "Software\\Binary": {"NoDrives": {"type": "REG_BINARY", "bytes": "04 00 00 00"},
                                  "Name": "Zorvane", "Big": {"type": "REG_QWORD", "data": "0x100000000"}}})"));
    }
    platform::IRegistry& reg() { return machine().registry(); }
};

TEST_F(Registry, CreateReportsWhetherTheKeyIsNew) {
    HKEY key = 0;
    DWORD disposition = 0;
    ASSERT_EQ(reg().RegCreateKeyExA(HKEY_CURRENT_USER, Policy, 0, KEY_ALL_ACCESS, &key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(reg().RegCloseKey(key), ERROR_SUCCESS);
    ASSERT_EQ(reg().RegCreateKeyExA(HKEY_CURRENT_USER, "\\Software\\New\\Deeper", 0, KEY_ALL_ACCESS, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(machine().openKeyCount(), 1);
    reg().RegCloseKey(key);
    EXPECT_TRUE(machine().registryKeyExists("software\\NEW\\deeper"));
    EXPECT_EQ(reg().RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, OpenFailsForAMissingKeyAndNamesIgnoreCase) {
    HKEY key = 0;
    EXPECT_EQ(reg().RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(machine().openKeyCount(), 0);
    ASSERT_EQ(reg().RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\microsoft", 0, KEY_READ, &key), ERROR_SUCCESS);
    HKEY child = 0;
    ASSERT_EQ(reg().RegOpenKeyExA(key, "Windows\\CurrentVersion\\Policies\\Explorer", 0, KEY_READ, &child), ERROR_SUCCESS);
    DWORD value = 0, size = 4, type = 0;
    EXPECT_EQ(reg().RegQueryValueExA(child, "nodrives", &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 4u);
    EXPECT_EQ(type, REG_DWORD);
    reg().RegCloseKey(child);
    reg().RegCloseKey(key);
}

TEST_F(Registry, QueryHasTypeAndSizeSemantics) {
    HKEY key = 0;
    ASSERT_EQ(reg().RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Binary", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(reg().RegQueryValueExA(key, "NoDrives", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 4u);
    char text[4] = {};
    size = sizeof text;
    EXPECT_EQ(reg().RegQueryValueExA(key, "Name", &type, reinterpret_cast<BYTE*>(text), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 8u);
    char enough[8] = {};
    EXPECT_EQ(reg().RegQueryValueExA(key, "Name", &type, reinterpret_cast<BYTE*>(enough), &size), ERROR_SUCCESS);
    EXPECT_STREQ(enough, "Zorvane");
    EXPECT_EQ(type, REG_SZ);
    uint64_t big = 0;
    size = 8;
    EXPECT_EQ(reg().RegQueryValueExA(key, "Big", &type, reinterpret_cast<BYTE*>(&big), &size), ERROR_SUCCESS);
    EXPECT_EQ(big, 0x100000000ull);
    EXPECT_EQ(reg().RegQueryValueExA(key, "Absent", &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg().RegSetValueExA(key, "NoDrives", REG_DWORD, reinterpret_cast<const BYTE*>(&big), 4), ERROR_ACCESS_DENIED);
    reg().RegCloseKey(key);
}

TEST_F(Registry, WritesStay) {
    HKEY key = 0;
    ASSERT_EQ(reg().RegCreateKeyExA(HKEY_CURRENT_USER, Policy, 0, KEY_ALL_ACCESS, &key, nullptr), ERROR_SUCCESS);
    const DWORD hidden = 0x3FFFFFF;
    EXPECT_EQ(reg().RegSetValueExA(key, "NoDrives", REG_DWORD, reinterpret_cast<const BYTE*>(&hidden), 4), ERROR_SUCCESS);
    reg().RegCloseKey(key);
    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(machine().registryValue("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoDrives", &type, &data));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x03}));
}

TEST_F(Registry, OnlyTheCurrentUserIsModelled) {
    HKEY key = 0;
    EXPECT_EQ(reg().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg().RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\X", 0, KEY_ALL_ACCESS, &key, nullptr), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg().RegQueryValueExA(0x4242, "x", nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace zv::test
