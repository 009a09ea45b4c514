// The lock that serialises the writers of one of Zorvane's own files, across processes (the
// window and the command line) and threads: flock on "<file>.lock" beside it.
//
// The lock file is opened without following a symbolic link. A thread that already holds
// the lock of a file takes it again without waiting (nothing waits on its own lock); the
// lock is released when the last holder goes out of scope, also when an exception passes.
// A lock another process keeps longer than the wait limit is given up with EWOULDBLOCK, so
// a hung writer never hangs the next one.
#pragma once

#include "platform/linux/unique_fd.h"

#include <string>

namespace zv::lnx {

class FileLock {
public:
    explicit FileLock(const std::string& file, int waitMs = 10'000);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool locked() const { return m_locked; }
    // errno of the failed attempt (0 when locked).
    int error() const { return m_error; }

private:
    std::string m_lockPath;
    UniqueFd m_fd;
    bool m_locked = false;
    int m_error = 0;
};

}  // namespace zv::lnx
