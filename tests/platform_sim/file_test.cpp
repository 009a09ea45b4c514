// Files on simulated drives: dispositions, share modes, delete-on-close, free space,
// read-only drives, positions and read timing.
#include "support/sim_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv::test {
namespace {

const std::string Machine = machineJson(R"(
  "drives": [
    {"letter": "C", "space": {"total": 1000000, "free_to_caller": 10000}, "read_speed": 1000000},
    {"letter": "D", "type": 5, "inquiry": {"vendor": "X"}},
    {"letter": "E", "type": 2, "read_only": true},
    {"letter": "F", "root_writable": false, "writable_folder": "F:\\Users\\me"},
    {"letter": "G", "type": 2, "medium_present": false}
  ],
  "substitutes": [{"letter": "S", "target": "C:\\Temp"}],
  "files": [{"path": "C:\\Temp\\old.txt", "text": "old"}, {"path": "C:\\big.bin", "size": 4294967296}])");

class Files : public SimFixture {
protected:
    void SetUp() override { load(Machine); }
    platform::IIo& io() { return machine().io(); }
    HANDLE create(const char* path, DWORD disposition, DWORD access = GENERIC_READ | GENERIC_WRITE, DWORD share = 0,
                  DWORD flags = FILE_ATTRIBUTE_NORMAL) {
        return io().CreateFileA(path, access, share, disposition, flags);
    }
    std::string text(const char* path) {
        std::string out;
        EXPECT_TRUE(machine().fileText(path, &out)) << path;
        return out;
    }
};

TEST_F(Files, DispositionsFollowTheSystem) {
    EXPECT_EQ(create("C:\\Temp\\old.txt", CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(create("C:\\missing.txt", OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(create("C:\\NoFolder\\x.txt", CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_PATH_NOT_FOUND);

    const HANDLE replaced = create("c:\\temp\\OLD.TXT", CREATE_ALWAYS);
    ASSERT_NE(replaced, INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_ALREADY_EXISTS);
    DWORD written = 0;
    EXPECT_TRUE(io().WriteFile(replaced, "new", 3, &written));
    EXPECT_TRUE(io().CloseHandle(replaced));
    EXPECT_EQ(text("S:\\old.txt"), "new");
}

TEST_F(Files, ShareModesAreEnforced) {
    const HANDLE first = create("C:\\12345678.TMP", CREATE_NEW, GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(create("C:\\12345678.TMP", OPEN_EXISTING, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_SHARING_VIOLATION);
    const HANDLE reader = create("C:\\12345678.TMP", OPEN_EXISTING, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(io().DeleteFileA("C:\\12345678.TMP"));
    EXPECT_EQ(machine().GetLastError(), ERROR_SHARING_VIOLATION);
    io().CloseHandle(reader);
    io().CloseHandle(first);
    EXPECT_TRUE(io().DeleteFileA("C:\\12345678.TMP"));
    EXPECT_FALSE(io().FileExists("C:\\12345678.TMP"));
}

TEST_F(Files, DeleteOnCloseRemovesTheFileAtTheLastClose) {
    const HANDLE file = create("C:\\bench.tmp", CREATE_ALWAYS, GENERIC_READ | GENERIC_WRITE, 0,
                               FILE_FLAG_WRITE_THROUGH | FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(io().FileExists("C:\\bench.tmp"));
    io().CloseHandle(file);
    EXPECT_FALSE(io().FileExists("C:\\bench.tmp"));
    EXPECT_EQ(machine().GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, WritesUseUpTheFreeSpace) {
    const HANDLE file = create("C:\\fill.bin", CREATE_NEW);
    std::vector<uint8_t> block(6000, 0xAB);
    DWORD written = 0;
    ASSERT_TRUE(io().WriteFile(file, block.data(), DWORD(block.size()), &written));
    ULONGLONG free = 0;
    ASSERT_TRUE(machine().drives().GetDiskFreeSpaceExA("C:\\", &free, nullptr, nullptr));
    EXPECT_EQ(free, 4000u);
    EXPECT_FALSE(io().WriteFile(file, block.data(), DWORD(block.size()), &written));
    EXPECT_EQ(machine().GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(written, 0u);
    // Overwriting in place needs no room.
    EXPECT_EQ(io().SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    EXPECT_TRUE(io().WriteFile(file, block.data(), DWORD(block.size()), &written));
    io().CloseHandle(file);
    EXPECT_TRUE(io().DeleteFileA("C:\\fill.bin"));
    ASSERT_TRUE(machine().drives().GetDiskFreeSpaceExA("C:\\", &free, nullptr, nullptr));
    EXPECT_EQ(free, 10000u);
}

TEST_F(Files, ReadOnlyDrivesAndFoldersRefuseCreation) {
    EXPECT_EQ(create("D:\\x.tmp", CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(create("E:\\x.tmp", CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_WRITE_PROTECT);
    EXPECT_EQ(create("F:\\x.tmp", CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_ACCESS_DENIED);
    const HANDLE inFolder = create("F:\\Users\\me\\x.tmp", CREATE_NEW);
    EXPECT_NE(inFolder, INVALID_HANDLE_VALUE);
    io().CloseHandle(inFolder);
    EXPECT_EQ(create("G:\\x.tmp", CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_NOT_READY);
    EXPECT_EQ(machine().criticalErrorDialogCount(), 1);
}

TEST_F(Files, WritableFolderIsTheRootOrTheConfiguredFolder) {
    char folder[64] = {};
    EXPECT_EQ(io().GetWritableFolderA("C:\\", folder, sizeof folder), 3u);
    EXPECT_STREQ(folder, "C:\\");
    EXPECT_EQ(io().GetWritableFolderA("F:\\", folder, sizeof folder), 12u);
    EXPECT_STREQ(folder, "F:\\Users\\me\\");
    EXPECT_EQ(io().GetWritableFolderA("F:\\", folder, 5), 13u);
    EXPECT_EQ(io().GetWritableFolderA("E:\\", folder, sizeof folder), 0u);
    EXPECT_EQ(io().GetWritableFolderA("D:\\", folder, sizeof folder), 0u);
}

TEST_F(Files, PositionsAndReadsOfALargeSparseFile) {
    const HANDLE file = create("C:\\big.bin", OPEN_EXISTING, GENERIC_READ, FILE_SHARE_READ, FILE_FLAG_NO_BUFFERING);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG high = 0;
    EXPECT_EQ(io().SetFilePointer(file, 0, &high, FILE_END), 0u);
    EXPECT_EQ(high, 1);
    EXPECT_EQ(io().SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    high = 0;
    EXPECT_EQ(io().SetFilePointer(file, 0, &high, FILE_BEGIN), 0u);
    std::vector<uint8_t> data(4096, 0xFF);
    DWORD read = 0;
    const uint64_t before = machine().system().MonotonicNanoseconds();
    ASSERT_TRUE(io().ReadFile(file, data.data(), 4096, &read));
    EXPECT_EQ(read, 4096u);
    EXPECT_EQ(data[100], 0);
    // 4096 bytes at one million bytes per second.
    EXPECT_EQ(machine().system().MonotonicNanoseconds() - before, 4096000u);
    // Unbuffered reads need whole sectors.
    EXPECT_FALSE(io().ReadFile(file, data.data(), 100, &read));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(io().WriteFile(file, data.data(), 512, &read));
    EXPECT_EQ(machine().GetLastError(), ERROR_ACCESS_DENIED);
    io().CloseHandle(file);
}

TEST_F(Files, AppendCreatesThenAppends) {
    EXPECT_FALSE(machine().fileText("c:\\autoexec.bat", nullptr));
    EXPECT_TRUE(io().AppendTextFile("c:\\autoexec.bat", "subst X: C:\\Temp\\\r\n"));
    EXPECT_TRUE(io().AppendTextFile("C:\\AUTOEXEC.BAT", "subst X: C:\\Temp\\\r\n"));
    EXPECT_EQ(text("c:\\autoexec.bat"), "subst X: C:\\Temp\\\r\nsubst X: C:\\Temp\\\r\n");
    EXPECT_FALSE(io().AppendTextFile("E:\\autoexec.bat", "x"));
    EXPECT_EQ(machine().GetLastError(), ERROR_WRITE_PROTECT);
}

}  // namespace
}  // namespace zv::test
