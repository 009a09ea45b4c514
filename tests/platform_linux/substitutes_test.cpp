// Substitute letters: NT-family definitions, their volume answers, the start-up file, and
// that an ordinary volume never loses its letter.
#include "fake_seam.h"
#include "platform/linux/startup_file.h"
#include "platform/linux/substitutes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zv::lnx::test {
namespace {

using namespace zv::win;

std::string query(platform::Platform& p, const char* name) {
    char buffer[256];
    buffer[0] = 0;
    p.drives().QueryDosDeviceA(name, buffer, sizeof buffer);
    return buffer;
}

TEST(Substitutes, DefineQueryAndRemoveWithTheSystemsSemantics) {
    RecordedTree tree("server");
    std::filesystem::create_directories(tree.root() + "/srv/www/site");
    auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
    auto& d = p->drives();
    ASSERT_TRUE(d.DefineDosDeviceA(0, "S:", "C:\\srv\\www\\"));
    EXPECT_EQ(query(*p, "S:"), "\\??\\C:\\srv\\www\\");  // as given, trailing "\" kept
    EXPECT_EQ(d.GetDriveTypeA("S:\\"), DRIVE_FIXED);
    EXPECT_TRUE(d.GetLogicalDrives() & (1u << ('S' - 'A')));
    // Answers of the folder's volume (C:, ext4 of the recorded disk).
    char fs[21];
    DWORD serial = 0;
    ASSERT_TRUE(d.GetVolumeInformationA("S:\\", nullptr, 0, &serial, nullptr, nullptr, fs, 21));
    EXPECT_STREQ(fs, "ext4");
    EXPECT_EQ(serial, 0x0a1b2c3du);
    // Files of the letter live in the folder.
    EXPECT_TRUE(p->io().AppendTextFile("S:\\site\\index.txt", "hello\r\n"));
    EXPECT_TRUE(std::filesystem::exists(tree.root() + "/srv/www/site/index.txt"));

    // A second definition stacks on top; removing by target takes that one away.
    ASSERT_TRUE(d.DefineDosDeviceA(0, "S:", "C:\\srv"));
    char both[256];
    DWORD n = d.QueryDosDeviceA("S:", both, sizeof both);
    EXPECT_EQ(std::string(both, n), std::string("\\??\\C:\\srv\0\\??\\C:\\srv\\www\\\0\0", 28));
    EXPECT_TRUE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "S:", "C:\\srv"));
    EXPECT_EQ(query(*p, "S:"), "\\??\\C:\\srv\\www\\");
    EXPECT_FALSE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, "S:", "c:\\SRV\\www\\"));
    EXPECT_EQ(p->GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "S:", "c:\\SRV\\www\\"));
    EXPECT_FALSE(d.GetLogicalDrives() & (1u << ('S' - 'A')));
}

TEST(Substitutes, OrdinaryVolumesKeepTheirLetters) {
    RecordedTree tree("server");
    auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
    auto& d = p->drives();
    EXPECT_EQ(query(*p, "C:"), "/dev/sda1");
    // Removing with an empty target (what a removal of a non-substitute letter asks) fails.
    EXPECT_FALSE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "C:", ""));
    EXPECT_EQ(p->GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(d.DefineDosDeviceA(DDD_REMOVE_DEFINITION, "D:", nullptr));
    EXPECT_EQ(d.GetDriveTypeA("D:\\"), DRIVE_REMOTE);
    // Defining a substitute on a volume's letter is refused too.
    EXPECT_FALSE(d.DefineDosDeviceA(0, "D:", "C:\\srv"));
    EXPECT_EQ(p->GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(query(*p, "D:"), "fileserver:/export/data");
}

TEST(Substitutes, FolderThatVanishedLeavesALetterWithoutRoot) {
    RecordedTree tree("server");
    std::filesystem::create_directories(tree.root() + "/srv/gone");
    auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
    ASSERT_TRUE(p->drives().DefineDosDeviceA(0, "T:", "C:\\srv\\gone"));
    std::filesystem::remove(tree.root() + "/srv/gone");
    p->drives().DefineDosDeviceA(0, "U:", "C:\\srv");  // a change the table notices
    EXPECT_EQ(p->drives().GetDriveTypeA("T:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_FALSE(p->drives().GetVolumeInformationA("T:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
}

TEST(Substitutes, StartupFileBringsLettersBackInANewSession) {
    RecordedTree tree("server");
    std::filesystem::create_directories(tree.root() + "/srv/music");
    {
        auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
        ASSERT_TRUE(p->drives().DefineDosDeviceA(0, "M:", "C:\\srv\\music"));
        // "Add to startup": the line goes to the user's own start-up file.
        ASSERT_TRUE(p->io().AppendTextFile("c:\\AUTOEXEC.BAT", "subst M: C:\\srv\\music\r\n"));
        ASSERT_TRUE(p->io().FileExists("C:\\autoexec.bat"));
    }
    EXPECT_TRUE(std::filesystem::exists(tree.configDir() + "/autoexec.bat"));
    EXPECT_FALSE(std::filesystem::exists(tree.root() + "/autoexec.bat"));
    std::filesystem::remove_all(tree.runtimeDir());  // logged out and in again
    auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
    EXPECT_EQ(query(*p, "M:"), "\\??\\C:\\srv\\music");
    // Later in the same session the start-up file is not read again.
    ASSERT_TRUE(p->drives().DefineDosDeviceA(DDD_REMOVE_DEFINITION, "M:", "C:\\srv\\music"));
    auto again = makeLinuxPlatform(treeOptions(tree, nullptr));
    EXPECT_EQ(again->drives().GetDriveTypeA("M:\\"), DRIVE_NO_ROOT_DIR);
}

TEST(Substitutes, StartupLinesAreRecognised) {
    ParsedStartupFile parsed = parseStartupFile("@echo off\r\nSUBST x: \"C:\\My Files\"\r\nsubst Y: D:\\b\\\r\nsubst z: /d\r\n"
                                                "substitute q: c:\\\r\nsubst 1: c:\\\r\nsubst Q:\r\n"
                                                "subst R: /tmp\x1b[31m\r\nsubst S: /a\rsubst T: /etc\r\n");
    const auto& lines = parsed.substLines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::make_pair('X', std::string("C:\\My Files")));
    EXPECT_EQ(lines[1], std::make_pair('Y', std::string("D:\\b\\")));
    // Malformed subst lines, a control character in a folder, a lone CR inside a line.
    ASSERT_EQ(parsed.badLines.size(), 4u);
    EXPECT_EQ(parsed.badLines[0].line, 6u);
    EXPECT_EQ(parsed.badLines[1].line, 7u);
    EXPECT_EQ(parsed.badLines[2].line, 8u);
    EXPECT_EQ(parsed.badLines[3].line, 9u);
}

}  // namespace
}  // namespace zv::lnx::test
