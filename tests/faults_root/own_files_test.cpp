// Damaged copies of Zorvane's own files: the registry store, the remembered letters, the
// session's substitute table and the start-up file, each corrupt, truncated in the middle of
// a line, 50 MB large, and a directory instead of a file.
//
// What must hold, for every subcommand that reads the file:
// - it ends within 10 seconds, by itself (no signal), with the status it has with healthy
//   files, or 2 (or 1 where R: is asked for and the damaged letters file no longer says
//   which volume R: is);
// - its error stream names the damaged file, and says so once (no line twice);
// - the damaged file's bytes are not destroyed: left in place or set aside under another name;
// - the two RAM disks whose letters (R: and S:) are remembered keep them, unless the
//   letters file itself lost their lines; a damaged letters file keeps its readable lines;
// - a later run, after the first one has dealt with the file, works normally.
#include "fault_sandbox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace zv::faulttest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kLettersHeader = "# Drive letters last given to each volume (Zorvane)\n";
const char* const kSubstitutesHeader = "# Substitute drive letters of this session, most recent first (Zorvane)\n";
const char* const kKeptByUser = "kept by the user\n";
const size_t kHugeBytes = size_t(50) << 20;

enum class Damage { Corrupt, Truncated, Huge, Directory };

const char* damageName(Damage damage) {
    switch (damage) {
        case Damage::Corrupt: return "corrupt";
        case Damage::Truncated: return "truncated";
        case Damage::Huge: return "50 MB";
        case Damage::Directory: return "a directory";
    }
    return "";
}

struct OwnFile {
    std::string name;
    std::string path;
    std::string corrupt, truncated, hugeHead;
    bool isLetters = false;
    bool isStartupFile = false;  // read only when the session has no substitute table yet
    bool onlyListReadsIt = false;
};

class DamagedOwnFiles : public testing::Test {
protected:
    void SetUp() override {
        std::string skip = rootUnavailableReason();
        if (!skip.empty()) GTEST_SKIP() << skip;
        m_box = std::make_unique<FaultSandbox>(testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string why;
        ASSERT_TRUE(m_box->mounts().addTmpfs("r", 3, &why)) << why;
        ASSERT_TRUE(m_box->mounts().addTmpfs("s", 5, &why)) << why;
        m_healthyLetters = std::string(kLettersHeader) + "R\t" + keyOf("r") + "\nS\t" + keyOf("s") + "\n";
    }

    std::string keyOf(const std::string& name) { return "ram:" + m_box->mounts().mountPointOf(name); }

    // Every subcommand that builds the letter table, on the remembered RAM disk R:. The
    // benchmark asks for removable drives only, so that it writes into no one's volume.
    std::vector<std::vector<std::string>> readers(const OwnFile& file) {
        if (file.onlyListReadsIt) return {{"list"}};
        return {{"list"},         {"clusters"},   {"diskinfo", "R:"}, {"chkdsk", "R:"},
                {"smart", "R:"},  {"optical", "R:"}, {"media", "R:"}, {"bench", "--removable", "--size", "65536", "--runs", "1"}};
    }

    // Healthy files, then the damaged one (none when `damage` is empty).
    void prepare(const OwnFile& file, std::optional<Damage> damage) {
        std::error_code ignored;
        fs::remove_all(m_box->configDir(), ignored);
        fs::remove_all(m_box->runtime() + "/zorvane", ignored);
        writeFile(m_box->lettersPath(), m_healthyLetters);
        if (!file.isStartupFile) writeFile(m_box->substitutesPath(), kSubstitutesHeader);
        fs::permissions(m_box->runtime() + "/zorvane", fs::perms(0700), ignored);
        if (!damage) return;
        fs::remove_all(file.path, ignored);
        switch (*damage) {
            case Damage::Corrupt: writeFile(file.path, file.corrupt); break;
            case Damage::Truncated: writeFile(file.path, file.truncated); break;
            case Damage::Huge:
                if (templateStamp() != m_hugeStamp) {
                    writeFile(m_hugeTemplate, m_huge);
                    m_hugeStamp = templateStamp();
                }
                fs::create_hard_link(m_hugeTemplate, file.path);  // 50 MB written once per file
                break;
            case Damage::Directory: writeFile(file.path + "/keep", kKeptByUser); break;
        }
    }

    // Changes whenever the 50 MB template is written to (a run must not have written through it).
    std::string templateStamp() const {
        struct stat st;
        if (::stat(m_hugeTemplate.c_str(), &st) != 0) return "-";
        return std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
               std::to_string(st.st_mtim.tv_nsec);
    }

    std::string damaged(const OwnFile& file, Damage damage) const {
        switch (damage) {
            case Damage::Corrupt: return file.corrupt;
            case Damage::Truncated: return file.truncated;
            case Damage::Huge: return m_huge;
            case Damage::Directory: return kKeptByUser;
        }
        return {};
    }

    // Whether some file below the configuration or runtime folder still holds `bytes`.
    bool somewhereKept(const std::string& bytes) {
        for (const std::string& root : {m_box->configDir(), m_box->runtime()}) {
            std::error_code ec;
            for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
                 it.increment(ec)) {
                if (!it->is_regular_file() || it->is_symlink() || it->file_size() != bytes.size()) continue;
                if (fileBytes(it->path().string()) == bytes) return true;
            }
        }
        return false;
    }

    bool keepsRemembered(const OwnFile& file, Damage damage) const {
        return !file.isLetters || damage == Damage::Corrupt || damage == Damage::Truncated;
    }

    void expectRemembered(const ChildOutcome& list) {
        auto rows = listRows(list.out);
        ASSERT_TRUE(rows.count('R') && rows['R'].size() > 4) << "R: is not listed:\n" << list.out;
        ASSERT_TRUE(rows.count('S') && rows['S'].size() > 4) << "S: is not listed:\n" << list.out;
        EXPECT_EQ(rows['R'][4], "3.00 MB") << "R: is no longer the 3 MB RAM disk";
        EXPECT_EQ(rows['S'][4], "5.00 MB") << "S: is no longer the 5 MB RAM disk";
    }

    void checkDamage(const OwnFile& file, Damage damage);
    void checkFile(const OwnFile& file);

    std::unique_ptr<FaultSandbox> m_box;
    std::string m_healthyLetters, m_huge, m_hugeTemplate, m_hugeStamp;
    std::map<std::string, int> m_healthyStatus;
};

void DamagedOwnFiles::checkDamage(const OwnFile& file, Damage damage) {
    SCOPED_TRACE(file.name + " " + damageName(damage) + " (" + file.path + ")");
    for (const auto& args : readers(file)) {
        SCOPED_TRACE(args.front());
        prepare(file, damage);
        ChildOutcome run = m_box->cli({args, 10s});
        // Without the remembered letters R: may be no drive at all: the request then fails (1).
        int lostLetter = keepsRemembered(file, damage) ? 2 : 1;
        EXPECT_TRUE(run.exitedWith({m_healthyStatus[args.front()], 2, lostLetter}))
            << run.summary() << "; with healthy files it exits " << m_healthyStatus[args.front()] << "\n"
            << run.err;
        EXPECT_TRUE(mentions(run.err, file.path)) << "no message names the file:\n" << run.err;
        EXPECT_TRUE(repeatedLines(run.err).empty()) << "a message is said more than once:\n" << run.err;
        if (args.front() == "list" && run.exitedWith({0}) && keepsRemembered(file, damage)) expectRemembered(run);
    }

    // The first run deals with the file; the damaged bytes survive it and the next run works.
    prepare(file, damage);
    ChildOutcome first = m_box->cli({{"list"}, 10s, {}, {}, "first"});
    ChildOutcome later = m_box->cli({{"list"}, 10s, {}, {}, "later"});
    EXPECT_TRUE(later.exitedWith({0})) << "the later run: " << later.summary() << "\n" << later.err;
    EXPECT_TRUE(somewhereKept(damaged(file, damage)))
        << "the damaged file's bytes are gone from " << m_box->configDir() << " and " << m_box->runtime();
    if (keepsRemembered(file, damage) && later.exitedWith({0})) {
        expectRemembered(later);
        std::string letters = fileBytes(m_box->lettersPath()).value_or("");
        EXPECT_NE(letters.find("R\t" + keyOf("r") + "\n"), std::string::npos) << "letters file:\n" << letters;
        EXPECT_NE(letters.find("S\t" + keyOf("s") + "\n"), std::string::npos) << "letters file:\n" << letters;
    }
}

void DamagedOwnFiles::checkFile(const OwnFile& file) {
    // The statuses with healthy files: what each subcommand answers for a RAM disk.
    for (const auto& args : readers(file)) {
        prepare(file, std::nullopt);
        ChildOutcome healthy = m_box->cli({args, 10s, {}, {}, "healthy"});
        ASSERT_FALSE(healthy.timedOut || healthy.signal) << args.front() << " with healthy files: " << healthy.summary();
        m_healthyStatus[args.front()] = healthy.exitCode;
        if (args.front() == "list") expectRemembered(healthy);
    }
    m_huge = file.hugeHead + std::string(kHugeBytes, 'x');
    m_hugeTemplate = m_box->base() + "/huge-template";
    for (Damage damage : {Damage::Corrupt, Damage::Truncated, Damage::Huge, Damage::Directory}) checkDamage(file, damage);
}

TEST_F(DamagedOwnFiles, RegistryStore) {
    const std::string header = "Zorvane registry 1\n\n[Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer]\n";
    OwnFile file;
    file.name = "registry store";
    file.path = m_box->registryPath();
    file.corrupt = header + "\"NoDrives\"=hex(99999999999999999999999):04,00,00,00\n";
    file.truncated = header + "\"NoDrives\"=dwo";
    file.hugeHead = header + "\"NoDrives\"=";
    file.onlyListReadsIt = true;
    checkFile(file);
}

TEST_F(DamagedOwnFiles, LettersFile) {
    OwnFile file;
    file.name = "letters file";
    file.path = m_box->lettersPath();
    file.corrupt = std::string(kLettersHeader) + "R\t" + keyOf("r") + "\n" + std::string("\x01\x02\xff\xfe\0junk\n", 10) +
                   "S\t" + keyOf("s") + "\nQQ\tno letter\n";
    file.truncated = m_healthyLetters + "T";
    file.hugeHead = m_healthyLetters;
    file.isLetters = true;
    checkFile(file);
}

TEST_F(DamagedOwnFiles, SubstituteTable) {
    OwnFile file;
    file.name = "substitute table";
    file.path = m_box->substitutesPath();
    file.corrupt = std::string(kSubstitutesHeader) + "Q\t\\??\\" + m_box->base() + "/no-such-folder\n" +
                   std::string("\0\xff junk\n", 8) + "9\t/etc\n";
    file.truncated = std::string(kSubstitutesHeader) + "Q";
    file.hugeHead = kSubstitutesHeader;
    checkFile(file);
}

TEST_F(DamagedOwnFiles, StartupFile) {
    fs::create_directories(m_box->base() + "/folder");
    OwnFile file;
    file.name = "start-up file";
    file.path = m_box->startupPath();
    file.corrupt = "@echo off\r\nsubst Q: " + m_box->base() + "/folder\r\n" + std::string("\0\0\xff\xfe\r\n", 6) +
                   "subst 9: /etc\r\nsubst QQ /etc\r\n";
    file.truncated = "@echo off\r\nsubst Q";
    file.hugeHead = "@echo off\r\n";
    file.isStartupFile = true;
    checkFile(file);
}

}  // namespace
}  // namespace zv::faulttest
