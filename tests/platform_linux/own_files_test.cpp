// Zorvane's own files (letters file, substitute table, registry store, start-up file) under
// hostile conditions: malformed lines, folders and links prepared by another user, names
// with line breaks, two processes saving at once.
#include "fake_seam.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/file_lock.h"
#include "platform/linux/letter_memory.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/own_file.h"
#include "platform/linux/startup_file.h"
#include "platform/linux/substitutes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zv::lnx::test {
namespace {

using namespace zv::win;
namespace fs = std::filesystem;

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> filesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> found;
    if (!fs::exists(folder)) return found;
    for (const auto& item : fs::directory_iterator(folder))
        if (item.path().filename().string().rfind(prefix, 0) == 0) found.push_back(item.path().string());
    return found;
}

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) ++count;
    return count;
}

// ---- the pure parsers

TEST(OwnFiles, LineFormsKeepAnyNameOnOneLineAndNumberTheirBadLines) {
    const std::string hostile = "ram:/mnt/a\nZ\tinjected-key\\x41\r\x01\x7f";
    std::string text = lettersFileText({{'D', "uuid:1234"}, {'E', hostile}});
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);  // header and two lines
    ParsedLettersFile back = parseLettersFile(text);
    EXPECT_TRUE(back.badLines.empty());
    EXPECT_EQ(back.letters, (std::map<char, std::string>{{'D', "uuid:1234"}, {'E', hostile}}));

    ParsedLettersFile bad = parseLettersFile("# header\nD\tgood\nd\tlower\nE\t\nF\tbad \\q escape\nG\ttrailing \\x4\n"
                                             "H no tab\n\nI\traw \x1b control\nJ\tfine\\\\\n");
    EXPECT_EQ(bad.letters, (std::map<char, std::string>{{'D', "good"}, {'J', "fine\\"}}));
    std::vector<size_t> lines;
    for (const auto& line : bad.badLines) lines.push_back(line.line);
    EXPECT_EQ(lines, (std::vector<size_t>{3, 4, 5, 6, 7, 9}));

    // Files written before values were escaped are read as written.
    ParsedLettersFile old = parseLettersFile("# Drive letters last given to each volume (Zorvane)\nD\tloop:C:\\tmp\\x.img\n");
    EXPECT_TRUE(old.badLines.empty());
    EXPECT_EQ(old.letters.at('D'), "loop:C:\\tmp\\x.img");

    SubstDefinitions table{{'Q', {"\\??\\C:\\x\nR\t\\??\\C:\\etc", "\\??\\C:\\older"}}};
    ParsedSubstituteTable parsed = parseSubstituteTable(substituteTableText(table));
    EXPECT_TRUE(parsed.badLines.empty());
    EXPECT_EQ(parsed.definitions, table);
    ParsedSubstituteTable oldTable = parseSubstituteTable(
        "# Substitute drive letters of this session, most recent first (Zorvane)\nS\t\\??\\C:\\temp\n");
    EXPECT_EQ(oldTable.definitions.at('S'), (std::vector<std::string>{"\\??\\C:\\temp"}));
}

// ---- reading and rewriting

TEST(OwnFiles, AnExceptionWhileRewritingLeavesNoLockNoTemporaryFileAndTheFileAsItWas) {
    TempFolder folder;
    const std::string path = folder.path() + "/letters";
    put(path, "before\n");
    EXPECT_THROW(rewriteOwnFile(path, [](const OwnFileContents&) -> OwnFileRewrite { throw std::runtime_error("x"); }),
                 std::runtime_error);
    EXPECT_EQ(slurp(path), "before\n");
    // Another thread (as another process would) takes the lock at once.
    std::atomic<int> result{-1};
    std::thread other([&] {
        result = rewriteOwnFile(path, [](const OwnFileContents& now) { return OwnFileRewrite{now.text + "after\n", false}; });
    });
    other.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(slurp(path), "before\nafter\n");
    // A rewrite nested in another one of the same file does not wait on its own lock.
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(rewriteOwnFile(path, [&](const OwnFileContents& now) {
                  EXPECT_EQ(rewriteOwnFile(path + "-other", [](const OwnFileContents&) { return OwnFileRewrite{"o", false}; }), 0);
                  FileLock again(path, 200);
                  EXPECT_TRUE(again.locked());
                  return OwnFileRewrite{now.text, false};
              }),
              0);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(filesStartingWith(folder.path(), "letters.tmp").empty());
}

TEST(OwnFiles, LinksFoldersAndHugeFilesAreRefusedAndSetAsideNeverWrittenThrough) {
    TempFolder folder;
    const std::string victim = folder.path() + "/victim";
    put(victim, "precious\n");
    const std::string path = folder.path() + "/config/letters";
    fs::create_directories(folder.path() + "/config");
    // The fixed temporary names of earlier versions, planted as links, do not matter.
    fs::create_symlink(victim, path + ".tmp");
    fs::create_symlink(victim, path);
    OwnFileContents read = readOwnFile(path);
    EXPECT_EQ(read.state, OwnFileContents::State::Refused);
    EXPECT_EQ(rewriteOwnFile(path, [](const OwnFileContents&) { return OwnFileRewrite{"new\n", false}; }), 0);
    EXPECT_EQ(slurp(victim), "precious\n");
    EXPECT_FALSE(fs::is_symlink(path));
    EXPECT_EQ(slurp(path), "new\n");
    auto aside = filesStartingWith(folder.path() + "/config", "letters.bad-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(fs::is_symlink(aside[0]));  // the link itself was moved, its target untouched

    const std::string dir = folder.path() + "/config/registry";
    fs::create_directories(dir + "/inside");
    EXPECT_EQ(readOwnFile(dir).state, OwnFileContents::State::Refused);
    EXPECT_EQ(rewriteOwnFile(dir, [](const OwnFileContents&) { return OwnFileRewrite{"r\n", false}; }), 0);
    EXPECT_EQ(slurp(dir), "r\n");
    EXPECT_EQ(filesStartingWith(folder.path() + "/config", "registry.bad-").size(), 1u);

    const std::string huge = folder.path() + "/config/substitutes";
    put(huge, std::string(kOwnFileLimit + 1, 'x'));
    EXPECT_EQ(readOwnFile(huge).state, OwnFileContents::State::Refused);
}

TEST(OwnFiles, BadLinesOfTheLettersFileAreReportedOnceAndTheFileKeptBeforeItIsRewritten) {
    RecordedTree tree("server");
    const std::string letters = tree.configDir() + "/letters";
    const std::string original = "# Zorvane letters 2\nQ\tkept-key\nR no tab\nS\tbad \\q\n";
    put(letters, original);
    ::chmod(tree.configDir().c_str(), 0700);
    testing::internal::CaptureStderr();
    {
        auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
        p->drives().GetLogicalDrives();
        p->drives().GetLogicalDrives();
    }
    {
        auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
        p->drives().GetLogicalDrives();
    }
    std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(occurrences(reported, letters + ", line 3:"), 1u) << reported;
    EXPECT_EQ(occurrences(reported, letters + ", line 4:"), 1u) << reported;
    EXPECT_EQ(occurrences(reported, letters + ", line 2:"), 0u);
    auto aside = filesStartingWith(tree.configDir(), "letters.bad-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(slurp(aside[0]), original);
    ParsedLettersFile now = parseLettersFile(slurp(letters));
    EXPECT_TRUE(now.badLines.empty());
    EXPECT_EQ(now.letters.at('Q'), "kept-key");  // the good line survives the rewrite
    EXPECT_GT(now.letters.size(), 1u);
}

TEST(OwnFiles, BadLinesOfTheSubstituteTableAreSkippedAndTheGoodLettersKept) {
    RecordedTree tree("server");
    fs::create_directories(tree.root() + "/srv/a");
    fs::create_directories(tree.root() + "/srv/b");
    const std::string table = tree.runtimeDir() + "/substitutes";
    const std::string original = "# Zorvane substitutes 2\nS\t\\\\??\\\\C:\\\\srv\\\\a\nT\t\\q\n1\tx\n";
    put(table, original);
    testing::internal::CaptureStderr();
    auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
    EXPECT_EQ(p->drives().GetDriveTypeA("S:\\"), DRIVE_FIXED);
    EXPECT_FALSE(p->drives().GetLogicalDrives() & (1u << ('T' - 'A')));
    ASSERT_TRUE(p->drives().DefineDosDeviceA(0, "U:", "C:\\srv\\b"));
    std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_EQ(occurrences(reported, table + ", line 3:"), 1u) << reported;
    EXPECT_EQ(occurrences(reported, table + ", line 4:"), 1u) << reported;
    auto aside = filesStartingWith(tree.runtimeDir(), "substitutes.bad-");
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(slurp(aside[0]), original);
    ParsedSubstituteTable now = parseSubstituteTable(slurp(table));
    EXPECT_TRUE(now.badLines.empty());
    EXPECT_EQ(now.definitions, (SubstDefinitions{{'S', {"\\??\\C:\\srv\\a"}}, {'U', {"\\??\\C:\\srv\\b"}}}));
}

// Two processes giving out letters at once: each save re-reads the file under its lock.
TEST(OwnFiles, TwoProcessesSavingLettersKeepEachOthersLettersAndReadersNeverSeeAnEmptyFile) {
    TempFolder folder;
    const std::string config = folder.path() + "/config";
    const std::string letters = config + "/letters";
    auto saver = [&](char first, const char* name) {
        LinuxOptions options;
        options.sysRoot = folder.path();
        options.configDir = config;
        LinuxContext ctx(options);
        // 100 letters each, every one of its ten letters ten times.
        for (int round = 0; round < 100; ++round) {
            char letter = char(first + round % 10);
            rememberLetter(ctx, std::string(name) + "-" + letter + "-" + std::to_string(round), letter);
        }
    };
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
        children[i] = ::fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) {
            if (i == 0) saver('D', "a");
            else saver('N', "b");
            ::_exit(0);
        }
    }
    int reads = 0, empty = 0, bad = 0;
    for (;;) {
        int status = 0;
        bool running = ::waitpid(children[0], &status, WNOHANG) == 0 || ::waitpid(children[1], &status, WNOHANG) == 0;
        OwnFileContents now = readOwnFile(letters);
        if (now.state == OwnFileContents::State::Read) {
            ++reads;
            if (now.text.empty()) ++empty;
            if (!parseLettersFile(now.text).badLines.empty()) ++bad;
        }
        if (!running) break;
    }
    for (pid_t child : children) ::waitpid(child, nullptr, 0);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(empty, 0);
    EXPECT_EQ(bad, 0);
    ParsedLettersFile final = parseLettersFile(slurp(letters));
    ASSERT_EQ(final.letters.size(), 20u) << slurp(letters);
    for (char letter = 'D'; letter <= 'W'; ++letter) {
        const bool first = letter <= 'M';
        const int lastRound = 90 + (letter - (first ? 'D' : 'N'));
        EXPECT_EQ(final.letters.at(letter), std::string(first ? "a" : "b") + "-" + letter + "-" + std::to_string(lastRound));
    }
    EXPECT_TRUE(filesStartingWith(config, "letters.tmp").empty());
}

// ---- the folders

struct FolderCase {
    const char* name;
    std::function<void(const std::string& runtime, const std::string& elsewhere)> prepare;
    bool needsRoot;
};

TEST(OwnFiles, ARuntimeFolderOthersCanWriteOrALinkOrAnotherUsersIsNotUsed) {
    const std::vector<FolderCase> cases = {
        {"writable by others", [](const std::string& runtime, const std::string&) { ::chmod(runtime.c_str(), 0777); }, false},
        {"a symbolic link",
         [](const std::string& runtime, const std::string& elsewhere) {
             fs::rename(runtime, elsewhere);
             fs::create_symlink(elsewhere, runtime);
         },
         false},
        {"another user's", [](const std::string& runtime, const std::string&) { (void)!::chown(runtime.c_str(), 65534, 65534); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && ::geteuid() != 0) continue;  // only root can give a folder away
        RecordedTree tree("server");
        fs::create_directories(tree.root() + "/srv/a");
        // Another user prepared the folder with a letter for the victim.
        const std::string planted = "# Zorvane substitutes 2\nQ\t\\\\??\\\\/etc\n";
        put(tree.runtimeDir() + "/substitutes", planted);
        const std::string elsewhere = tree.runtimeDir() + "-elsewhere";
        c.prepare(tree.runtimeDir(), elsewhere);
        testing::internal::CaptureStderr();
        std::string fallback;
        {
            auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
            EXPECT_FALSE(p->drives().GetLogicalDrives() & (1u << ('Q' - 'A')));
            EXPECT_TRUE(p->drives().DefineDosDeviceA(0, "S:", "C:\\srv\\a"));
            EXPECT_EQ(p->drives().GetDriveTypeA("S:\\"), DRIVE_FIXED);
            std::string reported = testing::internal::GetCapturedStderr();
            EXPECT_EQ(occurrences(reported, "the runtime folder " + tree.runtimeDir() + " is not used"), 1u) << reported;
            size_t at = reported.find("keeps its files in ");
            ASSERT_NE(at, std::string::npos);
            fallback = reported.substr(at + 19, reported.find(" until", at) - at - 19);
            EXPECT_TRUE(fs::exists(fallback + "/substitutes"));
        }
        EXPECT_FALSE(fs::exists(fallback)) << "the run's private folder is removed at its end";
        EXPECT_EQ(slurp(tree.runtimeDir() + "/substitutes"), planted) << "nothing written there";
    }
}

TEST(OwnFiles, ConfigurationFolderIsCreatedPrivateAndALinkedOneIsNotWrittenThrough) {
    TempFolder folder;
    LinuxOptions options;
    options.sysRoot = folder.path();
    options.configDir = folder.path() + "/home/.config/zorvane";
    {
        LinuxContext ctx(options);
        EXPECT_EQ(ctx.configFolder(false), "");  // nothing to read yet, nothing created
        EXPECT_FALSE(fs::exists(options.configDir));
        ASSERT_EQ(ctx.configFolder(true), options.configDir);
        struct stat st;
        ASSERT_EQ(::lstat(options.configDir.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    fs::remove_all(options.configDir);
    fs::create_directories(folder.path() + "/shared");
    fs::create_symlink(folder.path() + "/shared", options.configDir);
    testing::internal::CaptureStderr();
    {
        LinuxContext ctx(options);
        rememberLetter(ctx, "uuid:1", 'D');
    }
    std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_NE(reported.find("it is a symbolic link"), std::string::npos) << reported;
    EXPECT_TRUE(fs::is_empty(folder.path() + "/shared"));
}

// ---- names with control characters

TEST(OwnFiles, LineBreaksInNamesNeverAddLettersOrCommands) {
    RecordedTree tree("server");
    // A RAM disk mounted at a path with a line break and a tab (mountinfo escapes them).
    tree.write("/proc/self/mountinfo", tree.read("/proc/self/mountinfo") +
                                           "61 28 0:61 / /mnt/a\\012Z\\011injected-key rw,relatime - tmpfs tmpfs rw\n");
    fs::create_directories(tree.root() + "/srv/x");
    {
        auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
        p->drives().GetLogicalDrives();
        // A target with a line break is one definition of one letter.
        ASSERT_TRUE(p->drives().DefineDosDeviceA(0, "P:", "C:\\srv\\x\nR\t\\??\\C:\\etc"));
        EXPECT_FALSE(p->drives().GetLogicalDrives() & (1u << ('R' - 'A')));
        // "Add to startup" with such a path is refused; the file keeps what it had.
        ASSERT_TRUE(p->io().AppendTextFile("c:\\autoexec.bat", "subst M: C:\\srv\\x\r\n"));
        EXPECT_FALSE(p->io().AppendTextFile("c:\\autoexec.bat", "subst U: C:\\srv\\x\nsubst V: /etc\r\n"));
        EXPECT_EQ(p->GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    }
    ParsedLettersFile letters = parseLettersFile(slurp(tree.configDir() + "/letters"));
    EXPECT_TRUE(letters.badLines.empty());
    EXPECT_EQ(letters.letters.count('Z'), 0u);
    bool found = false;
    for (const auto& [letter, key] : letters.letters) found = found || key == "ram:/mnt/a\nZ\tinjected-key";
    EXPECT_TRUE(found) << slurp(tree.configDir() + "/letters");
    ParsedSubstituteTable table = parseSubstituteTable(slurp(tree.runtimeDir() + "/substitutes"));
    EXPECT_TRUE(table.badLines.empty());
    ASSERT_EQ(table.definitions.size(), 1u);
    EXPECT_EQ(table.definitions.at('P').front(), "\\??\\C:\\srv\\x\nR\t\\??\\C:\\etc");
    EXPECT_EQ(slurp(tree.configDir() + "/autoexec.bat"), "subst M: C:\\srv\\x\r\n");

    // A start-up file edited by hand with a carriage return inside a line: that line is
    // reported and skipped, the next login gets only what was typed on lines of their own.
    put(tree.configDir() + "/autoexec.bat", "subst M: C:\\srv\\x\r\nsubst U: C:\\srv\\x\rsubst V: /etc\r\n");
    fs::remove_all(tree.runtimeDir());
    testing::internal::CaptureStderr();
    auto p = makeLinuxPlatform(treeOptions(tree, nullptr));
    DWORD mask = p->drives().GetLogicalDrives();
    std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(mask & (1u << ('M' - 'A')));
    EXPECT_FALSE(mask & (1u << ('U' - 'A')));
    EXPECT_FALSE(mask & (1u << ('V' - 'A')));
    EXPECT_EQ(occurrences(reported, "autoexec.bat, line 2:"), 1u) << reported;
}

}  // namespace
}  // namespace zv::lnx::test
