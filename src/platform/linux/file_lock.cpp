// flock on a lock file beside the file it guards.
#include "platform/linux/file_lock.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <thread>

namespace zv::lnx {

namespace {

// Lock files this thread holds, with the number of holders: flock conflicts between two
// descriptors of one process too, so a second FileLock of the same thread must not ask again.
thread_local std::map<std::string, int> t_held;

}  // namespace

FileLock::FileLock(const std::string& file, int waitMs) : m_lockPath(file + ".lock") {
    auto held = t_held.find(m_lockPath);
    if (held != t_held.end()) {
        ++held->second;
        m_locked = true;
        return;
    }
    m_fd = UniqueFd(::open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!m_fd.valid()) {
        m_error = errno;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    auto pause = std::chrono::microseconds(200);
    while (::flock(m_fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            m_error = errno;
            m_fd.reset();
            return;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(20'000));
    }
    m_locked = true;
    t_held[m_lockPath] = 1;
}

FileLock::~FileLock() {
    if (!m_locked) return;
    auto held = t_held.find(m_lockPath);
    if (held != t_held.end() && --held->second == 0) t_held.erase(held);
    // Closing the descriptor (m_fd's destructor) releases the flock; nested holders own none.
}

}  // namespace zv::lnx
