// The private world of a fault case.
#include "fault_sandbox.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace zv::faulttest {

namespace fs = std::filesystem;
using lnx::roottest::run;
using lnx::roottest::ScratchMounts;

namespace {

const char* const kPrefix = "/tmp/zv-faults-";

bool processAlive(int pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

// Daemons (sshd, sshfs, fusefat) of a run that died: their command lines name its folder.
void killDaemonsOf(const std::string& folder) {
    for (const auto& entry : fs::directory_iterator("/proc", fs::directory_options::skip_permission_denied)) {
        int pid = std::atoi(entry.path().filename().c_str());
        if (pid <= 0 || pid == ::getpid()) continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (cmdline.find(folder + "/") == std::string::npos) continue;
        ::kill(pid, SIGCONT);
        ::kill(pid, SIGKILL);
    }
}

// What an earlier run left behind when it was killed half-way.
void sweepDeadRuns() {
    ScratchMounts::sweep(kPrefix);
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator("/tmp", ignored)) {
        std::string path = entry.path().string();
        if (path.rfind(kPrefix, 0) != 0) continue;
        if (processAlive(std::atoi(path.c_str() + std::string(kPrefix).size()))) continue;
        killDaemonsOf(path);
        ScratchMounts::sweep(path);
        fs::remove_all(path, ignored);
    }
    // The planted runtime folders of the other-user cases: named after uids of this range.
    for (uid_t uid = 64000; uid < 64800; ++uid) {
        std::string planted = "/tmp/zorvane-" + std::to_string(uid);
        struct stat st;
        if (::lstat(planted.c_str(), &st) != 0) continue;
        std::ifstream owner(planted + ".zv-faults-owner");
        int pid = 0;
        if (!(owner >> pid) || processAlive(pid)) continue;
        fs::remove_all(planted, ignored);
        fs::remove(planted + ".zv-faults-owner", ignored);
    }
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::string rootUnavailableReason() {
    if (::geteuid() != 0) return "the fault cases need root (mounts, loop devices, other users)";
    if (!fs::exists(std::string(ZV_BINARY_DIR) + "/src/zorvane-cli"))
        return "zorvane-cli is not built in " + std::string(ZV_BINARY_DIR) + "/src";
    return {};
}

std::string missingTool(const std::string& command, const std::string& package) {
    if (run("command -v " + command).ok()) return {};
    return command + " is not installed (Debian package " + package + ", see scripts/install-deps.sh)";
}

FaultSandbox::FaultSandbox(const std::string& caseName) {
    static bool swept = false;
    if (!swept) {
        sweepDeadRuns();
        swept = true;
    }
    m_base = kPrefix + std::to_string(::getpid()) + "/" + caseName;
    fs::remove_all(m_base);
    m_mounts = std::make_unique<ScratchMounts>(m_base);
    fs::permissions(kPrefix + std::to_string(::getpid()), fs::perms(0755));
    fs::permissions(m_base, fs::perms(0755));
    m_home = m_base + "/home";
    m_runtime = m_base + "/run";
    fs::create_directories(m_home);
    fs::create_directories(m_runtime);
    fs::permissions(m_runtime, fs::perms(0700));
    fs::create_directories(m_base + "/output");
    m_victimUid = uid_t(64000 + (::getpid() % 400) * 2);
}

FaultSandbox::~FaultSandbox() {
    for (auto it = m_undo.rbegin(); it != m_undo.rend(); ++it) (*it)();
    m_mounts.reset();  // its mounts, loop devices and daemons, then the folder
    std::error_code ignored;
    fs::remove_all(m_base, ignored);
    fs::remove(fs::path(m_base).parent_path(), ignored);  // the run's folder, once its last case is gone
}

void FaultSandbox::atCleanup(std::function<void()> undo) { m_undo.push_back(std::move(undo)); }

bool FaultSandbox::mountTmpfs(const std::string& point, unsigned mebibytes, std::string* why) {
    fs::create_directories(point);
    // Private like a home or configuration folder (a new tmpfs is 1777 otherwise).
    auto mounted =
        run("mount -t tmpfs -o size=" + std::to_string(mebibytes) + "m,mode=0700 zvfault " + shellQuoted(point));
    if (!mounted.ok()) {
        *why = "tmpfs at " + point + ": " + mounted.output;
        return false;
    }
    atCleanup([point] {
        if (!run("umount " + shellQuoted(point)).ok()) run("umount -l " + shellQuoted(point));
    });
    return true;
}

std::string FaultSandbox::cliForOtherUsers() {
    if (m_sharedCli.empty()) {
        fs::create_directories(m_base + "/bin");
        m_sharedCli = m_base + "/bin/zorvane-cli";
        fs::copy_file(std::string(ZV_BINARY_DIR) + "/src/zorvane-cli", m_sharedCli,
                      fs::copy_options::overwrite_existing);
        fs::permissions(m_sharedCli, fs::perms(0755));
    }
    return m_sharedCli;
}

std::vector<std::string> FaultSandbox::environment(const CliRun& cliRun) {
    std::map<std::string, std::string> env = {
        {"PATH", "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"},
        {"HOME", m_home},
        {"XDG_RUNTIME_DIR", m_runtime},
        {"LC_ALL", "C.UTF-8"},
    };
    // The sanitizer build's settings go along; another user gets a copy of the suppressions.
    for (char** var = environ; *var; ++var) {
        std::string entry = *var;
        std::string name = entry.substr(0, entry.find('='));
        if (name == "ASAN_OPTIONS" || name == "UBSAN_OPTIONS" || name == "LSAN_OPTIONS")
            env[name] = entry.substr(name.size() + 1);
    }
    if (cliRun.uid && env.count("LSAN_OPTIONS")) {
        std::string& options = env["LSAN_OPTIONS"];
        size_t at = options.find("suppressions=");
        if (at != std::string::npos) {
            size_t start = at + 13, end = options.find(':', start);
            std::string file = options.substr(start, end == std::string::npos ? std::string::npos : end - start);
            std::string copy = m_base + "/lsan.supp";
            std::error_code ignored;
            fs::copy_file(file, copy, fs::copy_options::overwrite_existing, ignored);
            fs::permissions(copy, fs::perms(0644), ignored);
            options.replace(start, file.size(), copy);
        }
    }
    for (const auto& [name, value] : cliRun.environment) {
        if (value) env[name] = *value;
        else env.erase(name);
    }
    std::vector<std::string> list;
    for (const auto& [name, value] : env) list.push_back(name + "=" + value);
    return list;
}

ChildSpec FaultSandbox::cliSpec(const CliRun& cliRun) {
    ChildSpec request;
    request.argv.push_back(cliRun.uid ? cliForOtherUsers() : std::string(ZV_BINARY_DIR) + "/src/zorvane-cli");
    request.argv.insert(request.argv.end(), cliRun.args.begin(), cliRun.args.end());
    request.environment = environment(cliRun);
    request.uid = cliRun.uid;
    request.gid = cliRun.uid ? gid_t(*cliRun.uid) : 0;
    std::string label = cliRun.label;
    if (label.empty())
        for (const auto& arg : cliRun.args) label += (label.empty() ? "" : "_") + arg;
    for (char& c : label)
        if (c == '/' || c == ':' || c == ' ') c = '_';
    request.outputBase = m_base + "/output/" + std::to_string(++m_runs) + "-" + label.substr(0, 60);
    return request;
}

ChildOutcome FaultSandbox::cli(const CliRun& cliRun) { return runChild(cliSpec(cliRun), cliRun.limit); }

std::map<char, std::vector<std::string>> listRows(const std::string& listOutput) {
    std::map<char, std::vector<std::string>> rows;
    std::istringstream lines(listOutput);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() < 3 || line[1] != ':' || line[0] < 'A' || line[0] > 'Z') continue;
        std::vector<std::string> fields;
        for (size_t start = 0;;) {
            size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        rows[line[0]] = fields;
    }
    return rows;
}

std::optional<std::string> fileBytes(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes(size_t(st.st_size), '\0');  // in one read: the 50 MB cases are slow per character
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

bool mentions(const std::string& text, const std::string& path) { return text.find(path) != std::string::npos; }

std::vector<std::string> repeatedLines(const std::string& text) {
    std::set<std::string> seen, repeated;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line))
        if (!line.empty() && !seen.insert(line).second) repeated.insert(line);
    return {repeated.begin(), repeated.end()};
}

}  // namespace zv::faulttest
