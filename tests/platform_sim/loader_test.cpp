// The machine file loader: example machines load, and a bad file is refused with the file
// name, the place and what is wrong.
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace zv::test {
namespace {

using sim::MachineFileError;
using sim::SimPlatform;

struct Refusal {
    const char* name;
    std::string text;
    std::string place;
    std::string problemPart;
};

MachineFileError refusalOf(const std::string& text) {
    try {
        SimPlatform::fromText(text, "bad.json");
    } catch (const MachineFileError& e) {
        return e;
    }
    ADD_FAILURE() << "the machine was accepted:\n" << text;
    return MachineFileError("", "", "");
}

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class LoaderRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(LoaderRefusal, NamesFilePlaceAndProblem) {
    const Refusal& r = GetParam();
    const MachineFileError e = refusalOf(r.text);
    EXPECT_EQ(e.file(), "bad.json");
    EXPECT_EQ(e.place(), r.place);
    EXPECT_NE(e.problem().find(r.problemPart), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()), "bad.json: " + r.place + ": " + e.problem());
}

INSTANTIATE_TEST_SUITE_P(
    Machines, LoaderRefusal,
    ::testing::Values(
        Refusal{"SyntaxError", "{\n  \"schema\": 1,\n  \"drives\": [\n    {\"letter\": \"C\",}\n  ]\n}", "line 4, column 20",
                "syntax error"},
        Refusal{"MissingSchema", "{}", "/", "missing key \"schema\""},
        Refusal{"WrongSchema", R"({"schema": 2})", "/schema", "unsupported schema 2"},
        Refusal{"UnknownTopKey", machineJson(R"("drivez": [])"), "/drivez", "unknown key \"drivez\""},
        Refusal{"UnknownDriveKey", machineJson(R"("drives": [{"letter": "C"}, {"letter": "D", "colour": 1}])"),
                "/drives/1/colour", "unknown key \"colour\""},
        Refusal{"WrongType", machineJson(R"("drives": [{"letter": "C", "type": "fixed"}])"), "/drives/0/type",
                "expected an integer"},
        Refusal{"BadSerial", machineJson(R"("drives": [{"letter": "C"}, {"letter": "D"}, {"letter": "E"}, {"letter": "F", "volume": {"serial": "nope"}}])"),
                "/drives/3/volume/serial", "32-bit serial"},
        Refusal{"DuplicateLetter", machineJson(R"("drives": [{"letter": "C"}, {"letter": "c:"}])"), "/drives/1/letter",
                "listed twice"},
        Refusal{"LetterOutsideRange", machineJson(R"("drives": [{"letter": "1"}])"), "/drives/0/letter",
                "drive letter A-Z"},
        Refusal{"DanglingSubstitute", machineJson(R"("drives": [{"letter": "C"}], "substitutes": [{"letter": "S", "target": "Q:\\Temp"}])"),
                "/substitutes/0/target", "no drive Q:"},
        Refusal{"ConnectionWithoutDrive", machineJson(R"("network": {"connections": [{"letter": "N", "remote": "\\\\s\\x"}]})"),
                "/network/connections/0/letter", "no drive N:"},
        Refusal{"RememberedOnDrive", machineJson(R"("drives": [{"letter": "N", "type": 4}], "network": {"remembered": [{"letter": "N", "remote": "\\\\s\\x"}]})"),
                "/network/remembered/0/letter", "is a drive"},
        Refusal{"InquiryTooLong", machineJson(R"("drives": [{"letter": "C", "inquiry": {"bytes": ")" + std::string(256 * 2, '0') + R"("}}])"),
                "/drives/0/inquiry/bytes", "1 to 255 bytes, found 256"},
        Refusal{"VendorTooLong", machineJson(R"("drives": [{"letter": "C", "inquiry": {"vendor": "TOOLONGVENDOR"}}])"),
                "/drives/0/inquiry/vendor", "longer than 8"},
        Refusal{"FreeAboveTotal", machineJson(R"("drives": [{"letter": "C", "space": {"total": 10, "free_to_caller": 11}}])"),
                "/drives/0/space/free_to_caller", "more free bytes"},
        Refusal{"LabelNotUtf8", machineJson("\"drives\": [{\"letter\": \"C\", \"volume\": {\"label\": \"\xC3\"}}]"),
                "line 1, column 64", "ill-formed UTF-8"},
        Refusal{"FileOnMissingDrive", machineJson(R"("drives": [{"letter": "C"}], "files": [{"path": "D:\\x.txt", "text": ""}])"),
                "/files/0/path", "no drive D:"},
        Refusal{"UnknownFaultOperation", machineJson(R"("faults": [{"operation": "GetDriveType", "error": 5}])"),
                "/faults/0/operation", "unknown operation"},
        Refusal{"BadRegistryType", machineJson(R"("registry": {"Software\\X": {"V": {"type": "REG_WORD", "data": 1}}})"),
                "/registry/Software\\X/V/type", "unknown registry type"},
        Refusal{"NumberOverflow", machineJson(R"("drives": [{"letter": "C", "space": {"total": 1e400}}])"),
                "line 1, column 65", "number overflow parsing '1e400'"},
        Refusal{"NestedTooDeep", "{\"schema\": 1,\n\"drives\": " + std::string(200, '[') + std::string(200, ']') + "}",
                "line 2, column 74", "nested deeper than 64"},
        Refusal{"LargerThanTheLimit", machineJson(R"("drives": [])") + std::string((16u << 20) + 1, ' '), "file",
                "larger than 16 MiB"},
        Refusal{"BadDeviceAnswer", machineJson(R"("drives": [{"letter": "C", "device": {"query": "fine"}}])"),
                "/drives/0/device/query", "expected an integer"}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return std::string(info.param.name); });

TEST(Loader, MissingFileNamesTheFile) {
    try {
        SimPlatform::fromFile("/nonexistent/machine.json");
        FAIL() << "accepted a missing file";
    } catch (const MachineFileError& e) {
        EXPECT_EQ(e.file(), "/nonexistent/machine.json");
        EXPECT_NE(e.problem().find("cannot be read"), std::string::npos);
    }
}

// Files that are no machine files are refused at once, before a byte is taken for JSON:
// reading a device or a pipe would wait or never end.
TEST(Loader, WhatIsNotARegularFileIsRefusedAtOnce) {
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "zv-not-regular";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder / "machine.json");
    ASSERT_EQ(::mkfifo((folder / "pipe.json").c_str(), 0600), 0);
    {
        std::ofstream huge(folder / "huge.json");
        huge << machineJson("");
        const std::string spaces(1 << 20, ' ');
        for (int i = 0; i < 20; ++i) huge << spaces;
    }
    const struct {
        std::string path;
        std::string problem;
    } cases[] = {
        {(folder / "machine.json").string(), "is a folder"},
        {(folder / "pipe.json").string(), "is a pipe"},
        {"/dev/zero", "is a character device"},
        {(folder / "huge.json").string(), "larger than 16 MiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto started = std::chrono::steady_clock::now();
        try {
            SimPlatform::fromFile(c.path);
            ADD_FAILURE() << "accepted";
        } catch (const MachineFileError& e) {
            EXPECT_EQ(e.file(), c.path);
            EXPECT_EQ(e.place(), "file");
            EXPECT_NE(e.problem().find(c.problem), std::string::npos) << e.what();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    }
    std::filesystem::remove_all(folder);
}

TEST(Loader, BracketsInTextsAndCommentsAreNoNesting) {
    const std::string deep(100, '[');
    auto machine = SimPlatform::fromText("// " + deep + "\n{\"schema\": 1, /* " + deep +
                                             " */ \"drives\": [{\"letter\": \"C\", \"volume\": {\"label\": \"" + deep +
                                             "\\\"" + deep + "\"}}]}",
                                         "brackets.json");
    char label[256] = {};
    ASSERT_TRUE(machine->drives().GetVolumeInformationA("C:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ(std::string(label), deep + "\"" + deep);
}

TEST(Loader, CommentsAreAllowed) {
    auto machine = SimPlatform::fromText("// a machine\n{\"schema\": 1, /* no drives */ \"drives\": []}", "c.json");
    EXPECT_EQ(machine->drives().GetLogicalDrives(), 0u);
}

class ExampleMachines : public SimFixture {};

TEST_F(ExampleMachines, MinimalHoldsOnlyC) {
    auto& m = loadExample("minimal");
    EXPECT_EQ(m.drives().GetLogicalDrives(), 0x4u);
    EXPECT_EQ(m.drives().GetDriveTypeA("C:\\"), DRIVE_FIXED);
}

TEST_F(ExampleMachines, FullHoldsEveryKindOfLetter) {
    auto& m = loadExample("full");
    auto& d = m.drives();
    struct Row {
        const char* root;
        UINT type;
    };
    for (const Row& row : {Row{"C:\\", DRIVE_FIXED}, Row{"E:\\", DRIVE_FIXED}, Row{"F:\\", DRIVE_FIXED}, Row{"S:\\", DRIVE_FIXED},
                           Row{"H:\\", DRIVE_REMOVABLE}, Row{"I:\\", DRIVE_REMOVABLE}, Row{"J:\\", DRIVE_CDROM},
                           Row{"N:\\", DRIVE_REMOTE}, Row{"U:\\", DRIVE_REMOTE}, Row{"R:\\", DRIVE_NO_ROOT_DIR},
                           Row{"X:\\", DRIVE_RAMDISK}, Row{"Y:\\", DRIVE_UNKNOWN}, Row{"Z:\\", 7u}})
        EXPECT_EQ(d.GetDriveTypeA(row.root), row.type) << row.root;

    ULONGLONG free = 0, total = 0, totalFree = 0;
    ASSERT_TRUE(d.GetDiskFreeSpaceExA("D:\\", &free, &total, &totalFree));
    EXPECT_EQ(total, 1073741824u);
    ASSERT_TRUE(d.GetDiskFreeSpaceExA("F:\\", &free, &total, &totalFree));
    EXPECT_LT(double(free) / double(total), 0.05);

    char remote[260];
    DWORD length = sizeof remote;
    EXPECT_EQ(m.network().WNetGetConnectionA("U:", remote, &length), ERROR_CONNECTION_UNAVAIL);
    length = sizeof remote;
    EXPECT_EQ(m.network().WNetGetConnectionA("R:", remote, &length), ERROR_CONNECTION_UNAVAIL);
    EXPECT_EQ(d.GetLogicalDrives() & (1u << ('R' - 'A')), 0u);

    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(m.registryValue("Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoDrives", &type, &data));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, (std::vector<uint8_t>{0x40, 0x00, 0x80, 0x00}));
}

}  // namespace
}  // namespace zv::test
