// Readers for sysfs attributes and other small system files.
#include "platform/linux/sysfs.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::lnx {

std::optional<std::string> readFileBytes(const std::string& path, size_t limit) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    std::string data;
    char buffer[8192];
    while (data.size() < limit) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        data.append(buffer, size_t(n));
    }
    ::close(fd);
    if (data.size() > limit) data.resize(limit);
    return data;
}

std::string trimmed(const std::string& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string readAttribute(const std::string& path) {
    auto data = readFileBytes(path, 4096);
    if (!data) return {};
    std::string line = data->substr(0, data->find('\n'));
    return trimmed(line);
}

int64_t readNumber(const std::string& path, int64_t fallback) {
    std::string text = readAttribute(path);
    if (text.empty()) return fallback;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != 0) return fallback;
    return value;
}

bool makeFolders(const std::string& path) {
    for (size_t pos = 1; pos <= path.size(); ++pos)
        if (pos == path.size() || path[pos] == '/') ::mkdir(path.substr(0, pos).c_str(), 0700);
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool pathExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> listDirectory(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return names;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {
std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos) next = path.size();
        std::string part = path.substr(pos, next - pos);
        if (!part.empty() && part != ".") parts.push_back(part);
        pos = next + 1;
    }
    return parts;
}
}  // namespace

std::string resolveUnderRoot(const std::string& root, const std::string& absolute) {
    std::string base = root;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base == "/") base.clear();
    std::vector<std::string> pending = splitPath(absolute);
    std::reverse(pending.begin(), pending.end());
    std::vector<std::string> done;
    int links = 0;
    while (!pending.empty()) {
        std::string part = pending.back();
        pending.pop_back();
        if (part == "..") {
            if (!done.empty()) done.pop_back();
            continue;
        }
        done.push_back(part);
        std::string current = base;
        for (const auto& d : done) current += "/" + d;
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0) return {};
        if (!S_ISLNK(st.st_mode)) continue;
        if (++links > 40) return {};
        char target[PATH_MAX];
        ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
        if (n <= 0) return {};
        std::string link(target, size_t(n));
        done.pop_back();
        if (!link.empty() && link[0] == '/') done.clear();
        std::vector<std::string> linkParts = splitPath(link);
        for (auto it = linkParts.rbegin(); it != linkParts.rend(); ++it) pending.push_back(*it);
    }
    std::string result = base;
    for (const auto& d : done) result += "/" + d;
    return result.empty() ? std::string("/") : result;
}

bool naturalLess(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        bool da = std::isdigit(static_cast<unsigned char>(a[i]));
        bool db = std::isdigit(static_cast<unsigned char>(b[j]));
        if (da && db) {
            size_t ie = i, je = j;
            while (ie < a.size() && std::isdigit(static_cast<unsigned char>(a[ie]))) ++ie;
            while (je < b.size() && std::isdigit(static_cast<unsigned char>(b[je]))) ++je;
            std::string na = a.substr(i, ie - i), nb = b.substr(j, je - j);
            while (na.size() > 1 && na[0] == '0') na.erase(0, 1);
            while (nb.size() > 1 && nb[0] == '0') nb.erase(0, 1);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (na != nb) return na < nb;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return (a.size() - i) < (b.size() - j);
}

}  // namespace zv::lnx
