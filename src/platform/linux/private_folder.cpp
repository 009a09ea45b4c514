// Checked folders for Zorvane's own files.
#include "platform/linux/private_folder.h"

#include "platform/linux/own_file.h"
#include "platform/linux/sysfs.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zv::lnx {

namespace {

std::string temporaryBase() {
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp == '/' ? std::string(tmp) : std::string("/tmp");
}

// Removes the regular files directly inside `folder`, then the folder when it is empty.
void removeFilesAndFolder(const std::string& folder) {
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* item = ::readdir(dir)) {
            struct stat st;
            if (::fstatat(::dirfd(dir), item->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
                ::unlinkat(::dirfd(dir), item->d_name, 0);
        }
        ::closedir(dir);
    }
    ::rmdir(folder.c_str());
}

}  // namespace

std::string privateFolderProblem(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return std::string("it cannot be examined: ") + std::strerror(errno);
    if (S_ISLNK(st.st_mode)) return "it is a symbolic link";
    if (!S_ISDIR(st.st_mode)) return "it is not a folder";
    if (st.st_uid != ::geteuid()) return "it belongs to user " + std::to_string(st.st_uid);
    if (st.st_mode & (S_IWGRP | S_IWOTH)) return "group or others may write in it";
    return {};
}

PrivateFolder::PrivateFolder(std::string wanted, std::string what) : m_wanted(std::move(wanted)), m_what(std::move(what)) {}

PrivateFolder::~PrivateFolder() {
    if (m_temporary) removeFilesAndFolder(m_resolved);
}

std::string PrivateFolder::path(bool create) {
    if (!m_resolved.empty() || m_wanted.empty()) return m_resolved;
    struct stat st;
    if (::lstat(m_wanted.c_str(), &st) != 0) {
        if (errno != ENOENT) return fallback(std::string("it cannot be examined: ") + std::strerror(errno));
        if (!create) return {};
        const std::string parent = m_wanted.substr(0, m_wanted.find_last_of('/'));
        if (!parent.empty() && !makeFolders(parent)) return fallback("its parent folder " + parent + " cannot be created");
        if (::mkdir(m_wanted.c_str(), 0700) != 0 && errno != EEXIST)
            return fallback(std::string("it cannot be created: ") + std::strerror(errno));
    }
    if (std::string problem = privateFolderProblem(m_wanted); !problem.empty()) return fallback(problem);
    m_resolved = m_wanted;
    return m_resolved;
}

std::string PrivateFolder::fallback(const std::string& problem) {
    std::string pattern = temporaryBase() + "/zorvane-" + std::to_string(::geteuid()) + "-XXXXXX";
    if (::mkdtemp(pattern.data())) {
        m_resolved = pattern;
        m_temporary = true;
        reportOnce("the " + m_what + " " + m_wanted + " is not used (" + problem + "); this run keeps its files in " +
                   m_resolved + " until it ends.");
    } else {
        reportOnce("the " + m_what + " " + m_wanted + " is not used (" + problem +
                   ") and no private temporary folder could be made; nothing is saved.");
    }
    return m_resolved;
}

}  // namespace zv::lnx
