// Unpacks recorded machines for the tests.
#include "recorded_tree.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace zv::lnx::test {

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void put(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void link(const fs::path& path, const std::string& target) {
    fs::create_directories(path.parent_path());
    fs::create_symlink(target, path);
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string word;
    while (in >> word) out.push_back(word);
    return out;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> out;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) out.push_back(part);
    return out;
}

std::string padded(std::string text, size_t width) {
    text.resize(width, ' ');
    return text;
}

// "/sys/devices/x/block/sda" -> "../devices/x/block/sda" seen from /sys/block.
std::string fromSys(const std::string& sysPath, int depth) {
    std::string up;
    for (int i = 0; i < depth; ++i) up += "../";
    return up + sysPath.substr(5);
}

void unpackSysfs(const fs::path& root, const std::string& description) {
    std::istringstream lines(description);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> w = words(line);
        const std::string& kind = w[0];
        auto rest = [&line](size_t fields) {
            size_t pos = 0;
            for (size_t i = 0; i < fields; ++i) {
                pos = line.find_first_not_of(' ', pos);
                pos = line.find(' ', pos);
            }
            return pos == std::string::npos ? std::string() : line.substr(line.find_first_not_of(' ', pos));
        };
        if (kind == "disk") {
            std::string dir = w[2] + "/block/" + w[1];
            put(root / dir.substr(1) / "dev", w[3] + "\n");
            put(root / dir.substr(1) / "removable", w[4] + "\n");
            put(root / dir.substr(1) / "size", w[5] + "\n");
            put(root / dir.substr(1) / "queue/logical_block_size", w[6] + "\n");
            link(root / "sys/block" / w[1], fromSys(dir, 1));
            link(root / "sys/class/block" / w[1], fromSys(dir, 2));
            link(root / "sys/dev/block" / w[3], fromSys(dir, 2));
        } else if (kind == "part") {
            fs::path diskLink = root / "sys/block" / w[1];
            std::string diskDir = "/sys/" + fs::read_symlink(diskLink).string().substr(3);
            std::string dir = diskDir + "/" + w[2];
            put(root / dir.substr(1) / "dev", w[3] + "\n");
            put(root / dir.substr(1) / "partition", w[4] + "\n");
            put(root / dir.substr(1) / "size", w[5] + "\n");
            link(root / "sys/class/block" / w[2], fromSys(dir, 2));
            link(root / "sys/dev/block" / w[3], fromSys(dir, 2));
        } else if (kind == "scsi") {
            std::vector<std::string> f = split(rest(3), '|');
            fs::path dir = root / w[1].substr(1);
            put(dir / "type", f[0] + "\n");
            put(dir / "vendor", padded(f[1], 8) + "\n");
            put(dir / "model", padded(f[2], 16) + "\n");
            put(dir / "rev", padded(f[3], 4) + "\n");
            std::string inquiry(36, '\0');
            inquiry[0] = char(std::stoi(f[0]));
            inquiry[1] = f[4] == "1" ? char(0x80) : 0;
            inquiry[2] = 5;
            inquiry[3] = 2;
            inquiry[4] = 31;
            inquiry.replace(8, 8, padded(f[1], 8));
            inquiry.replace(16, 16, padded(f[2], 16));
            inquiry.replace(32, 4, padded(f[3], 4));
            put(dir / "inquiry", inquiry);
            std::string leaf = fs::path(w[1]).filename().string();
            link(dir / "block" / w[2] / "device", "../../../" + leaf);
        } else if (kind == "file") {
            put(root / w[1].substr(1), rest(2) + "\n");
        } else if (kind == "dir") {
            fs::create_directories(root / rest(1).substr(1));
        } else if (kind == "link") {
            link(root / w[1].substr(1), w[2]);
        } else {
            throw std::runtime_error("unknown line in sysfs.txt: " + line);
        }
    }
}

}  // namespace

std::string dataDir() { return std::string(ZV_SOURCE_DIR) + "/tests/platform_linux/data"; }

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "zv-linux-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

RecordedTree::RecordedTree(const std::string& machine) {
    std::string pattern = (fs::temp_directory_path() / "zv-tree-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    m_base = pattern;
    m_root = m_base + "/root";
    fs::path source = fs::path(dataDir()) / machine;
    fs::path root = m_root;
    put(root / "proc/self/mountinfo", slurp(source / "mountinfo"));
    if (fs::exists(source / "fstab")) put(root / "etc/fstab", slurp(source / "fstab"));
    if (fs::exists(source / "udev"))
        for (const auto& record : fs::directory_iterator(source / "udev"))
            put(root / "run/udev/data" / record.path().filename(), slurp(record.path()));
    unpackSysfs(root, slurp(source / "sysfs.txt"));
}

RecordedTree::~RecordedTree() {
    std::error_code ignored;
    fs::remove_all(m_base, ignored);
}

void RecordedTree::write(const std::string& absolute, const std::string& text) const {
    put(fs::path(m_root) / absolute.substr(1), text);
}

std::string RecordedTree::read(const std::string& absolute) const { return slurp(fs::path(m_root) / absolute.substr(1)); }

}  // namespace zv::lnx::test
