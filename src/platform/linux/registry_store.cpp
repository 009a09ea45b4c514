// The text file behind HKEY_CURRENT_USER.
#include "platform/linux/registry_store.h"

#include "platform/linux/sysfs.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

const char* const kHeader = "Zorvane registry 1";

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out.push_back(c);
    }
    return out;
}

std::string hexBytes(const std::vector<uint8_t>& data) {
    static const char* const digits = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i) out.push_back(',');
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
    }
    return out;
}

// A quoted name at the start of `line`; the position after the closing quote in *end.
std::optional<std::string> quoted(const std::string& line, size_t start, size_t* end) {
    if (start >= line.size() || line[start] != '"') return std::nullopt;
    std::string out;
    for (size_t i = start + 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            char next = line[++i];
            out.push_back(next == 'n' ? '\n' : next);
        } else if (c == '"') {
            *end = i + 1;
            return out;
        } else {
            out.push_back(c);
        }
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> parseHex(const std::string& text) {
    std::vector<uint8_t> data;
    if (text.empty()) return data;
    size_t pos = 0;
    while (pos < text.size()) {
        if (pos + 2 > text.size() || !std::isxdigit(static_cast<unsigned char>(text[pos])) ||
            !std::isxdigit(static_cast<unsigned char>(text[pos + 1])))
            return std::nullopt;
        data.push_back(uint8_t(std::stoi(text.substr(pos, 2), nullptr, 16)));
        pos += 2;
        if (pos < text.size()) {
            if (text[pos] != ',') return std::nullopt;
            ++pos;
        }
    }
    return data;
}

std::string fileStamp(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return "-";
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
           "." + std::to_string(st.st_mtim.tv_nsec);
}

}  // namespace

std::string normalizedKeyPath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out.push_back(c);
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

std::string registryText(const RegistryTree& tree) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [lower, key] : tree) {
        text += "\n[" + key.name + "]\n";
        for (const auto& [lowerName, entry] : key.values) {
            const RegistryValue& value = entry.second;
            text += "\"" + escaped(entry.first) + "\"=";
            if (value.type == 4 && value.data.size() == 4) {
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x",
                              unsigned(value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                       (uint32_t(value.data[3]) << 24)));
                text += digits;
            } else {
                text += "hex(" + std::to_string(value.type) + "):" + hexBytes(value.data);
            }
            text += "\n";
        }
    }
    return text;
}

std::optional<RegistryTree> parseRegistryText(const std::string& text, std::string* why) {
    auto failed = [why](const std::string& reason, size_t line) -> std::optional<RegistryTree> {
        if (why) *why = "line " + std::to_string(line) + ": " + reason;
        return std::nullopt;
    };
    RegistryTree tree;
    RegistryKeyData* current = nullptr;
    size_t pos = 0, number = 0;
    bool headerSeen = false;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!headerSeen) {
            if (line != kHeader) return failed("not a Zorvane registry store", number);
            headerSeen = true;
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return failed("unterminated key name", number);
            std::string name = normalizedKeyPath(line.substr(1, line.size() - 2));
            RegistryKeyData& key = tree[lowerCase(name)];
            key.name = name;
            current = &key;
            continue;
        }
        size_t after = 0;
        std::optional<std::string> name = quoted(line, 0, &after);
        if (!name || !current || after >= line.size() || line[after] != '=') return failed("bad value line", number);
        std::string rest = line.substr(after + 1);
        RegistryValue value;
        if (rest.rfind("dword:", 0) == 0 && rest.size() == 14 && rest.find_first_not_of("0123456789abcdefABCDEF", 6) == std::string::npos) {
            uint32_t v = uint32_t(std::stoul(rest.substr(6), nullptr, 16));
            value.type = 4;
            value.data = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        } else if (rest.rfind("hex(", 0) == 0 && rest.find("):") != std::string::npos) {
            size_t close = rest.find("):");
            std::string type = rest.substr(4, close - 4);
            auto data = parseHex(rest.substr(close + 2));
            if (type.empty() || type.find_first_not_of("0123456789") != std::string::npos || !data)
                return failed("bad value data", number);
            value.type = uint32_t(std::stoul(type));
            value.data = *data;
        } else {
            return failed("bad value data", number);
        }
        current->values[lowerCase(*name)] = {*name, value};
    }
    if (!headerSeen) return failed("empty store", number);
    return tree;
}

RegistryStore::RegistryStore(std::string path) : m_path(std::move(path)) {}

void RegistryStore::reload(bool force) {
    std::string stamp = fileStamp(m_path);
    if (!force && stamp == m_stamp) return;
    m_stamp = stamp;
    m_tree.clear();
    m_corrupt = false;
    if (stamp == "-") return;  // no store yet: empty
    auto data = readFileBytes(m_path, 16 << 20);
    std::string why = data ? std::string() : std::strerror(errno);
    std::optional<RegistryTree> tree = data ? parseRegistryText(*data, &why) : std::nullopt;
    if (tree) {
        m_tree = std::move(*tree);
        return;
    }
    m_corrupt = true;
    if (!m_reported) {
        std::cerr << "zorvane: the registry store " << m_path << " cannot be read (" << why
                  << "); it is treated as empty and kept as " << m_path << ".corrupt when a value is saved.\n";
        m_reported = true;
    }
}

const RegistryTree& RegistryStore::tree() {
    reload(false);
    return m_tree;
}

int RegistryStore::update(const std::function<void(RegistryTree&)>& change) {
    std::string folder = m_path.substr(0, m_path.find_last_of('/'));
    makeFolders(folder);
    // One writer at a time across processes (the window and the command line).
    int lock = ::open((m_path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock >= 0) ::flock(lock, LOCK_EX);
    reload(true);
    RegistryTree next = m_tree;
    change(next);
    int error = 0;
    if (m_corrupt) {
        std::string aside = m_path + ".corrupt";
        if (::rename(m_path.c_str(), aside.c_str()) != 0) error = errno;
    }
    std::string temp = m_path + ".tmp";
    if (!error) {
        std::string text = registryText(next);
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0) {
            error = errno;
        } else {
            size_t done = 0;
            while (done < text.size() && !error) {
                ssize_t n = ::write(fd, text.data() + done, text.size() - done);
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) error = errno;
                else done += size_t(n);
            }
            if (!error && ::fsync(fd) != 0) error = errno;
            if (::close(fd) != 0 && !error) error = errno;
            if (!error && ::rename(temp.c_str(), m_path.c_str()) != 0) error = errno;
            if (error) ::unlink(temp.c_str());
        }
    }
    if (!error) {
        int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        m_tree = std::move(next);
        m_corrupt = false;
        m_stamp = fileStamp(m_path);
    }
    if (lock >= 0) ::close(lock);
    return error;
}

}  // namespace zv::lnx
