// DOS-device definitions on the NT family and the older family's subst service.
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace zv::test {
namespace {

const std::string Machine = machineJson(R"(
  "drives": [{"letter": "C", "dos_device": "\\Device\\HarddiskVolume1"}, {"letter": "D", "type": 5}],
  "substitutes": [{"letter": "S", "target": "C:\\Temp"}],
  "folders": ["C:\\Work"])");

std::string firstTarget(platform::IDrives& drives, const char* name) {
    char buffer[256];
    buffer[0] = '\0';
    drives.QueryDosDeviceA(name, buffer, sizeof buffer);
    return buffer;
}

constexpr DWORD Bit(char letter) { return 1u << (letter - 'A'); }

class DosDevices : public SimFixture {};

TEST_F(DosDevices, QueryAnswersSubstitutesVolumesAndNothing) {
    auto& d = load(Machine).drives();
    EXPECT_EQ(firstTarget(d, "S:"), "\\??\\C:\\Temp");
    EXPECT_EQ(firstTarget(d, "C:"), "\\Device\\HarddiskVolume1");
    EXPECT_EQ(firstTarget(d, "D:"), "\\Device\\CdRom0");
    char buffer[256] = "untouched";
    EXPECT_EQ(d.QueryDosDeviceA("Q:", buffer, sizeof buffer), 0u);
    EXPECT_EQ(machine().GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(d.QueryDosDeviceA("S:", buffer, 5), 0u);
    EXPECT_EQ(machine().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(DosDevices, DefiningALetterMakesItAppearTypedAsItsTarget) {
    auto& d = load(Machine).drives();
    ASSERT_TRUE(d.DefineDosDeviceA(0, "T:", "D:\\"));
    EXPECT_TRUE(d.GetLogicalDrives() & Bit('T'));
    EXPECT_EQ(d.GetDriveTypeA("T:\\"), DRIVE_CDROM);
    ASSERT_TRUE(d.DefineDosDeviceA(0, "W:", "C:\\Work\\"));
    EXPECT_EQ(d.GetDriveTypeA("W:"), DRIVE_FIXED);
    EXPECT_EQ(firstTarget(d, "W:"), "\\??\\C:\\Work\\");
    ULONGLONG total = 0;
    EXPECT_TRUE(d.GetDiskFreeSpaceExA("W:\\", nullptr, &total, nullptr));
    EXPECT_EQ(total, 107374182400u);
}

TEST_F(DosDevices, RemovingByTargetTakesThatDefinitionOnly) {
    auto& d = load(Machine).drives();
    EXPECT_FALSE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "S:", "C:\\Other"));
    EXPECT_EQ(machine().GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "S:", "C:\\Temp"));
    EXPECT_FALSE(d.GetLogicalDrives() & Bit('S'));
    EXPECT_EQ(d.GetDriveTypeA("S:\\"), DRIVE_NO_ROOT_DIR);
    // A volume's own definition never matches a folder target.
    EXPECT_FALSE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "C:", "C:\\"));
    EXPECT_TRUE(d.GetLogicalDrives() & Bit('C'));
}

TEST_F(DosDevices, RemovingWithoutATargetTakesAnOrdinaryVolumesLetter) {
    auto& d = load(Machine).drives();
    // The system removes the newest definition whatever it is: the caller must guard.
    EXPECT_TRUE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "C:", ""));
    EXPECT_FALSE(d.GetLogicalDrives() & Bit('C'));
    EXPECT_EQ(d.GetDriveTypeA("C:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_TRUE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "D:", nullptr));
    EXPECT_FALSE(d.GetLogicalDrives() & Bit('D'));
    EXPECT_FALSE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "D:", nullptr));
}

TEST_F(DosDevices, DefinitionsStackOverAVolume) {
    auto& d = load(Machine).drives();
    ASSERT_TRUE(d.DefineDosDeviceA(0, "C:", "D:\\"));
    EXPECT_EQ(d.GetDriveTypeA("C:\\"), DRIVE_CDROM);
    char buffer[256] = {};
    const DWORD stored = d.QueryDosDeviceA("C:", buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, stored), std::string("\\??\\D:\\\0\\Device\\HarddiskVolume1\0\0", 33));
    EXPECT_TRUE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "C:", nullptr));
    EXPECT_EQ(d.GetDriveTypeA("C:\\"), DRIVE_FIXED);
}

TEST_F(DosDevices, OlderFamilySubstServiceCreatesQueriesAndTerminates) {
    load(machineJson(R"("system": {"family": "windows", "version": {"major": 4, "minor": 10, "build": 2222}},
        "drives": [{"letter": "C"}], "folders": ["C:\\Program Files\\Data"],
        "short_names": {"C:\\Program Files\\Data": "C:\\PROGRA~1\\DATA"}, "substitutes": [{"letter": "P", "target": "C:\\Program Files\\Data"}])"));
    auto& dos = machine().dos();
    char path[256] = {};
    platform::VxDRegisters query;
    query.eax = 0x71AA;
    query.ebx = (2u << 8) | ('P' - 'A' + 1);
    query.edx = path;
    dos.VxDCall(platform::VXD_INT21_SERVICE, query);
    EXPECT_FALSE(query.carry);
    EXPECT_STREQ(path, "C:\\PROGRA~1\\DATA");

    char longPath[261] = {};
    platform::VxDRegisters full;
    full.eax = 0x7160;
    full.ecx = 2;
    full.esi = path;
    full.edi = longPath;
    dos.VxDCall(platform::VXD_INT21_SERVICE, full);
    EXPECT_FALSE(full.carry);
    EXPECT_STREQ(longPath, "C:\\Program Files\\Data");

    char shortName[64] = {};
    EXPECT_EQ(machine().drives().GetShortPathNameA("c:\\program files\\data", shortName, sizeof shortName), 16u);
    EXPECT_STREQ(shortName, "C:\\PROGRA~1\\DATA");
    EXPECT_EQ(machine().drives().GetShortPathNameA("C:\\Nowhere", shortName, sizeof shortName), 0u);

    char target[256] = "C:\\PROGRA~1\\DATA";
    platform::VxDRegisters create;
    create.eax = 0x71AA;
    create.ebx = (0u << 8) | ('Q' - 'A' + 1);
    create.edx = target;
    dos.VxDCall(platform::VXD_INT21_SERVICE, create);
    EXPECT_FALSE(create.carry);
    EXPECT_EQ(machine().drives().GetDriveTypeA("Q:\\"), DRIVE_FIXED);

    platform::VxDRegisters terminate;
    terminate.eax = 0x71AA;
    terminate.ebx = (1u << 8) | ('Q' - 'A' + 1);
    dos.VxDCall(platform::VXD_INT21_SERVICE, terminate);
    EXPECT_FALSE(terminate.carry);
    EXPECT_EQ(machine().drives().GetDriveTypeA("Q:\\"), DRIVE_NO_ROOT_DIR);
    dos.VxDCall(platform::VXD_INT21_SERVICE, terminate);
    EXPECT_TRUE(terminate.carry);
}

TEST_F(DosDevices, NtFamilyHasNoVxDCall) {
    load(Machine);
    char path[256] = "";
    platform::VxDRegisters query;
    query.eax = 0x71AA;
    query.ebx = (2u << 8) | ('S' - 'A' + 1);
    query.edx = path;
    machine().dos().VxDCall(platform::VXD_INT21_SERVICE, query);
    EXPECT_TRUE(query.carry);
    EXPECT_STREQ(path, "");
}

TEST_F(DosDevices, VolumesAreEnumeratedWithAndWithoutLetters) {
    load(machineJson(R"("drives": [{"letter": "D", "volume_guid": "\\\\?\\Volume{2}\\"}, {"letter": "C", "volume_guid": "\\\\?\\Volume{1}\\"}],
        "volumes": [{"guid": "\\\\?\\Volume{3}\\"}])"));
    auto& d = machine().drives();
    char name[260];
    std::vector<std::string> names;
    const HANDLE search = d.FindFirstVolumeA(name, 260);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    names.push_back(name);
    while (d.FindNextVolumeA(search, name, 260)) names.push_back(name);
    EXPECT_EQ(machine().GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(d.FindVolumeClose(search));
    EXPECT_EQ(names, (std::vector<std::string>{"\\\\?\\Volume{1}\\", "\\\\?\\Volume{2}\\", "\\\\?\\Volume{3}\\"}));
}

}  // namespace
}  // namespace zv::test
