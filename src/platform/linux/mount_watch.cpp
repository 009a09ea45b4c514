// Change detection for the letter table.
#include "platform/linux/mount_watch.h"

#include "platform/linux/sysfs.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace zv::lnx {

namespace {
constexpr long kProcSuperMagic = 0x9fa0;
}  // namespace

bool MountWatch::changed(const std::string& mountinfoPath, bool built) {
    if (!m_fd.valid()) {
        m_fd = UniqueFd(::open(mountinfoPath.c_str(), O_RDONLY | O_CLOEXEC));
        struct statfs fs;
        m_pollable = m_fd.valid() && ::fstatfs(m_fd.get(), &fs) == 0 && fs.f_type == kProcSuperMagic;
        if (m_pollable) {
            pollfd p{m_fd.get(), POLLPRI, 0};
            ::poll(&p, 1, 0);  // takes the pending event: the table is read by the caller anyway
            return true;
        }
    }
    if (m_pollable) {
        // The kernel flags every mount and unmount on an open mountinfo (proc(5)).
        pollfd p{m_fd.get(), POLLPRI, 0};
        return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLPRI | POLLERR));
    }
    auto bytes = readFileBytes(mountinfoPath);
    std::string now = bytes ? *bytes : std::string();
    if (now == m_bytes && built) return false;
    m_bytes = now;
    return true;
}

std::string fileChangeStamp(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return "-";
    return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) +
           "." + std::to_string(st.st_mtim.tv_nsec);
}

std::string blockDeviceNames(const std::string& sysBlockPath) {
    std::string names;
    for (const auto& name : listDirectory(sysBlockPath)) names += name + " ";
    return names;
}

}  // namespace zv::lnx
