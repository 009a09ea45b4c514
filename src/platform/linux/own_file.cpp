// Zorvane's own files: safe reads, locked atomic rewrites, bad files set aside.
#include "platform/linux/own_file.h"

#include "platform/linux/file_lock.h"
#include "platform/linux/unique_fd.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iostream>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

int writeAll(int fd, std::string_view text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        done += size_t(n);
    }
    return 0;
}

void syncFolder(const std::string& folder) {
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) ::fsync(dir.get());
}

std::string timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

// Keeps the file as it is under a new name "<file>.bad-<time>[-N]": a hard link for a regular
// file (the file itself stays until the rename of the new one replaces it), else a rename.
// 0 or errno.
int setAside(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    const std::string base = path + ".bad-" + timestamp();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string aside = attempt ? base + "-" + std::to_string(attempt) : base;
        struct stat existing;
        if (::lstat(aside.c_str(), &existing) == 0) continue;
        int result = S_ISREG(st.st_mode) ? ::link(path.c_str(), aside.c_str()) : -1;
        if (result != 0 && (!S_ISREG(st.st_mode) || errno == EPERM || errno == EXDEV || errno == EMLINK))
            result = ::rename(path.c_str(), aside.c_str());
        if (result == 0) {
            reportOnce(path + " is kept as " + aside + " and written anew.");
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

}  // namespace

OwnFileContents readOwnFile(const std::string& path, size_t limit) {
    OwnFileContents contents;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) {
        int error = errno;
        if (error == ENOENT) return contents;
        contents.state = OwnFileContents::State::Refused;
        contents.problem = error == ELOOP ? "it is a symbolic link" : std::strerror(error);
        return contents;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        contents.state = OwnFileContents::State::Refused;
        contents.problem = S_ISDIR(st.st_mode) ? "it is a folder" : "it is not a regular file";
        return contents;
    }
    if (size_t(st.st_size) > limit) {
        contents.state = OwnFileContents::State::Refused;
        contents.problem = "it is larger than " + std::to_string(limit) + " bytes";
        return contents;
    }
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            contents.state = OwnFileContents::State::Refused;
            contents.problem = std::strerror(errno);
            contents.text.clear();
            return contents;
        }
        if (n == 0) break;
        contents.text.append(buffer, size_t(n));
        if (contents.text.size() > limit) {
            contents.state = OwnFileContents::State::Refused;
            contents.problem = "it is larger than " + std::to_string(limit) + " bytes";
            contents.text.clear();
            return contents;
        }
    }
    contents.state = OwnFileContents::State::Read;
    return contents;
}

int writeFileAtomically(const std::string& path, std::string_view text) {
    const std::string folder = folderOf(path);
    std::string pattern = path + ".tmp-XXXXXX";
    UniqueFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!fd.valid()) return errno;
    int error = ::fchmod(fd.get(), 0600) == 0 ? 0 : errno;
    if (!error) error = writeAll(fd.get(), text);
    if (!error && ::fsync(fd.get()) != 0) error = errno;
    if (fd.reset() != 0 && !error) error = errno;
    if (!error && ::rename(pattern.c_str(), path.c_str()) != 0) error = errno;
    if (error) {
        ::unlink(pattern.c_str());
        return error;
    }
    syncFolder(folder);
    return 0;
}

int rewriteOwnFile(const std::string& path, const std::function<OwnFileRewrite(const OwnFileContents&)>& compose) {
    FileLock lock(path);
    if (!lock.locked()) return lock.error() ? lock.error() : EWOULDBLOCK;
    OwnFileContents current = readOwnFile(path);
    OwnFileRewrite next = compose(current);
    if (current.state == OwnFileContents::State::Refused || next.setAsideFirst)
        if (int error = setAside(path)) return error;
    return writeFileAtomically(path, next.text);
}

void reportOnce(const std::string& message) {
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> guard(mutex);
    if (!reported.insert(message).second) return;
    std::cerr << "zorvane: " << message << "\n";
}

void reportBadLines(const std::string& path, const std::vector<BadLine>& badLines) {
    for (const BadLine& bad : badLines)
        reportOnce(path + ", line " + std::to_string(bad.line) + ": " + bad.reason + "; the line is ignored.");
}

}  // namespace zv::lnx
