// The per-user registry store: registry semantics, atomic replacement, a store that cannot
// be read.
#include "platform/linux/linux_platform.h"
#include "platform/linux/registry_store.h"
#include "recorded_tree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zv::lnx::test {
namespace {

using namespace zv::win;

const char* const kPolicies = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";

std::unique_ptr<platform::Platform> platformIn(const TempFolder& folder) {
    LinuxOptions options;
    options.configDir = folder.path() + "/config";
    options.runtimeDir = folder.path() + "/runtime";
    return makeLinuxPlatform(options);
}

std::string slurp(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Registry, CreatesKeysAndKeepsTypedValuesAcrossRuns) {
    TempFolder folder;
    {
        auto p = platformIn(folder);
        auto& r = p->registry();
        HKEY missing = 0;
        EXPECT_EQ(r.RegOpenKeyExA(HKEY_CURRENT_USER, kPolicies, 0, KEY_READ, &missing), LONG(ERROR_FILE_NOT_FOUND));
        HKEY key = 0;
        DWORD disposition = 0;
        ASSERT_EQ(r.RegCreateKeyExA(HKEY_CURRENT_USER, kPolicies, 0, KEY_ALL_ACCESS, &key, &disposition), 0);
        EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
        DWORD value = 0x3FFFFFF;
        ASSERT_EQ(r.RegSetValueExA(key, "NoDrives", REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), 0);
        const BYTE binary[4] = {4, 0, 0, 0};
        ASSERT_EQ(r.RegSetValueExA(key, "Blob", REG_BINARY, binary, 4), 0);
        EXPECT_EQ(r.RegCloseKey(key), 0);
        EXPECT_EQ(r.RegCloseKey(key), LONG(ERROR_INVALID_HANDLE));
    }
    auto p = platformIn(folder);
    auto& r = p->registry();
    HKEY key = 0;
    DWORD disposition = 0;
    // Names match without regard to case.
    ASSERT_EQ(r.RegCreateKeyExA(HKEY_CURRENT_USER, "software\\MICROSOFT\\windows\\CurrentVersion\\Policies\\explorer", 0,
                                KEY_ALL_ACCESS, &key, &disposition), 0);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    DWORD type = 0, data = 0, size = 4;
    ASSERT_EQ(r.RegQueryValueExA(key, "nodrives", &type, reinterpret_cast<BYTE*>(&data), &size), 0);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(data, 0x3FFFFFFu);
    ASSERT_EQ(r.RegQueryValueExA(key, "Blob", &type, nullptr, &size), 0);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 4u);
    BYTE small[2];
    size = 2;
    EXPECT_EQ(r.RegQueryValueExA(key, "Blob", &type, small, &size), LONG(ERROR_MORE_DATA));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(r.RegQueryValueExA(key, "Absent", &type, nullptr, &size), LONG(ERROR_FILE_NOT_FOUND));
    r.RegCloseKey(key);
    // Parents exist with their children; a key opened for reading cannot be written.
    HKEY parent = 0;
    ASSERT_EQ(r.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft", 0, KEY_READ, &parent), 0);
    DWORD one = 1;
    EXPECT_EQ(r.RegSetValueExA(parent, "x", REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), LONG(ERROR_ACCESS_DENIED));
    r.RegCloseKey(parent);
}

TEST(Registry, WritesReplaceTheStoreWholeAndLeaveNoTemporaryFile) {
    TempFolder folder;
    auto p = platformIn(folder);
    HKEY key = 0;
    ASSERT_EQ(p->registry().RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Zorvane", 0, KEY_ALL_ACCESS, &key, nullptr), 0);
    std::string text = "value with \"quotes\" and \\ back";
    ASSERT_EQ(p->registry().RegSetValueExA(key, "Text", REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                           DWORD(text.size() + 1)), 0);
    std::string store = folder.path() + "/config/registry";
    auto inode = std::filesystem::status(store).type();
    EXPECT_EQ(inode, std::filesystem::file_type::regular);
    EXPECT_FALSE(std::filesystem::exists(store + ".tmp"));
    ParsedRegistryStore parsed = parseRegistryStore(slurp(store));
    ASSERT_TRUE(parsed.badLines.empty());
    const auto& value = parsed.tree.at("software\\zorvane").values.at("text").second;
    EXPECT_EQ(value.type, REG_SZ);
    EXPECT_EQ(std::string(value.data.begin(), value.data.end() - 1), text);
    // A write that cannot happen (the folder made read-only) leaves the old store as it was.
    if (::geteuid() != 0) {
        std::filesystem::permissions(folder.path() + "/config", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        DWORD v = 7;
        EXPECT_NE(p->registry().RegSetValueExA(key, "Other", REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), 0);
        std::filesystem::permissions(folder.path() + "/config", std::filesystem::perms::owner_all);
        EXPECT_TRUE(parseRegistryStore(slurp(store)).badLines.empty());
        EXPECT_EQ(parseRegistryStore(slurp(store)).tree.at("software\\zorvane").values.count("other"), 0u);
    }
    p->registry().RegCloseKey(key);
}

// Files beside `path` named "<name>.bad-...": the copies of a store that was set aside.
std::vector<std::string> setAsideCopies(const std::string& path) {
    std::vector<std::string> copies;
    std::filesystem::path file(path);
    for (const auto& item : std::filesystem::directory_iterator(file.parent_path()))
        if (item.path().filename().string().rfind(file.filename().string() + ".bad-", 0) == 0)
            copies.push_back(item.path().string());
    return copies;
}

TEST(Registry, UnreadableStoreIsTreatedAsEmptyAndKeptAside) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() + "/config");
    std::string store = folder.path() + "/config/registry";
    std::ofstream(store) << "this is not a registry store\n";
    testing::internal::CaptureStderr();
    auto p = platformIn(folder);
    HKEY key = 0;
    EXPECT_EQ(p->registry().RegOpenKeyExA(HKEY_CURRENT_USER, kPolicies, 0, KEY_READ, &key), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(p->registry().RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), LONG(ERROR_FILE_NOT_FOUND));
    std::string reported = testing::internal::GetCapturedStderr();
    const std::string problem = store + ", line 1: not a Zorvane registry store";
    EXPECT_NE(reported.find(problem), std::string::npos) << reported;
    EXPECT_EQ(reported.find(problem), reported.rfind(problem));  // once
    ASSERT_EQ(p->registry().RegCreateKeyExA(HKEY_CURRENT_USER, kPolicies, 0, KEY_ALL_ACCESS, &key, nullptr), 0);
    auto copies = setAsideCopies(store);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(slurp(copies[0]), "this is not a registry store\n");
    EXPECT_TRUE(parseRegistryStore(slurp(store)).badLines.empty());
    p->registry().RegCloseKey(key);
}

// The reported hang: a number too large for 32 bits made the parser throw while the store's
// lock was held, and the next call waited on that lock for ever.
TEST(Registry, MalformedLinesAreSkippedReportedOnceAndTheStoreStaysUsable) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() + "/config");
    std::string store = folder.path() + "/config/registry";
    const std::string original = "Zorvane registry 1\n\n[Software\\Zorvane]\n"
                                 "\"NoDrives\"=hex(99999999999999999999999):04,00,00,00\n"
                                 "\"Kept\"=dword:00000007\n"
                                 "\"Short\"=dword:123\n"
                                 "\"Odd\"=hex(3):0,1\n"
                                 "\"Esc\\q\"=dword:00000001\n"
                                 "[Unterminated\n";
    std::ofstream(store) << original;
    testing::internal::CaptureStderr();
    auto p = platformIn(folder);
    HKEY key = 0;
    ASSERT_EQ(p->registry().RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zorvane", 0, KEY_ALL_ACCESS, &key), 0);
    DWORD type = 0, data = 0, size = 4;
    EXPECT_EQ(p->registry().RegQueryValueExA(key, "Kept", &type, reinterpret_cast<BYTE*>(&data), &size), 0);
    EXPECT_EQ(data, 7u);
    EXPECT_EQ(p->registry().RegQueryValueExA(key, "NoDrives", &type, nullptr, &size), LONG(ERROR_FILE_NOT_FOUND));
    // Writes work, twice (no lock left behind), and keep the good values.
    DWORD one = 1;
    ASSERT_EQ(p->registry().RegSetValueExA(key, "A", REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), 0);
    ASSERT_EQ(p->registry().RegSetValueExA(key, "B", REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), 0);
    std::string reported = testing::internal::GetCapturedStderr();
    for (int line : {4, 6, 7, 8, 9}) {
        std::string problem = store + ", line " + std::to_string(line) + ":";
        EXPECT_NE(reported.find(problem), std::string::npos) << line << "\n" << reported;
        EXPECT_EQ(reported.find(problem), reported.rfind(problem)) << line;
    }
    EXPECT_EQ(reported.find(store + ", line 5:"), std::string::npos);
    ParsedRegistryStore now = parseRegistryStore(slurp(store));
    EXPECT_TRUE(now.badLines.empty());
    EXPECT_EQ(now.tree.at("software\\zorvane").values.size(), 3u);  // Kept, A, B
    auto copies = setAsideCopies(store);
    ASSERT_EQ(copies.size(), 1u);  // set aside once, before the first rewrite
    EXPECT_EQ(slurp(copies[0]), original);
    // A second platform (another process) reads the store at once, without waiting.
    auto other = platformIn(folder);
    HKEY again = 0;
    EXPECT_EQ(other->registry().RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Zorvane", 0, KEY_READ, &again), 0);
    other->registry().RegCloseKey(again);
    p->registry().RegCloseKey(key);
}

TEST(Registry, NamesWithControlCharactersStayOneLineOrAreRefused) {
    TempFolder folder;
    auto p = platformIn(folder);
    HKEY key = 0;
    EXPECT_EQ(p->registry().RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\A\n[Injected]", 0, KEY_ALL_ACCESS, &key,
                                            nullptr), LONG(ERROR_INVALID_PARAMETER));
    ASSERT_EQ(p->registry().RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\A", 0, KEY_ALL_ACCESS, &key, nullptr), 0);
    const std::string name = "v\r\n\"x\"=dword:00000001\t\x1b\\";
    DWORD one = 1;
    ASSERT_EQ(p->registry().RegSetValueExA(key, name.c_str(), REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), 0);
    ParsedRegistryStore stored = parseRegistryStore(slurp(folder.path() + "/config/registry"));
    EXPECT_TRUE(stored.badLines.empty());
    ASSERT_EQ(stored.tree.size(), 2u);  // Software and Software\A, no [Injected]
    const auto& values = stored.tree.at("software\\a").values;
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values.begin()->second.first, name);
    p->registry().RegCloseKey(key);
}

TEST(Registry, TextFormRoundTripsEveryValueType) {
    RegistryTree tree;
    auto& key = tree["software\\a"];
    key.name = "Software\\A";
    key.values["dw"] = {"Dw", {REG_DWORD, {0x78, 0x56, 0x34, 0x12}}};
    key.values["q"] = {"Q", {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}}};
    key.values[""] = {"", {REG_SZ, {'h', 'i', 0}}};
    key.values["line\nbreak \"x\"\\"] = {"Line\nBreak \"x\"\\", {REG_BINARY, {}}};
    key.values["big"] = {"Big", {0xffffffffu, {1}}};
    ParsedRegistryStore back = parseRegistryStore(registryText(tree));
    ASSERT_TRUE(back.badLines.empty());
    ASSERT_EQ(back.tree.size(), 1u);
    const auto& values = back.tree.at("software\\a").values;
    EXPECT_EQ(values.at("dw").second.data, (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(values.at("q").second.type, uint32_t(REG_QWORD));
    EXPECT_EQ(values.at("").second.data.size(), 3u);
    EXPECT_EQ(values.at("line\nbreak \"x\"\\").first, "Line\nBreak \"x\"\\");
    EXPECT_EQ(values.at("big").second.type, 0xffffffffu);
    EXPECT_EQ(parseRegistryStore("Zorvane registry 1\n\"orphan\"=dword:00000001\n").badLines.size(), 1u);
    EXPECT_EQ(parseRegistryStore("Zorvane registry 1\n[K]\n\"v\"=dword:0000001\n").badLines.size(), 1u);
    EXPECT_EQ(parseRegistryStore("Zorvane registry 1\n[K]\n\"v\"=hex(4294967296):00\n").badLines.size(), 1u);
    EXPECT_TRUE(parseRegistryStore("").badLines.empty());
}

}  // namespace
}  // namespace zv::lnx::test
