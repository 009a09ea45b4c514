// The system-call seam of the Linux backend. Every open, close and ioctl on a device node
// goes through it, so that tests replay recorded exchanges (SG_IO, CD-ROM, HDIO ioctls)
// without hardware.
#pragma once

#include <cstdint>
#include <string>

namespace zv::lnx {

class SysSeam {
public:
    virtual ~SysSeam() = default;
    // As open(2)/close(2)/ioctl(2): -1 and errno on failure.
    virtual int open(const std::string& path, int flags) = 0;
    virtual int close(int fd) = 0;
    virtual int ioctl(int fd, unsigned long request, void* argument) = 0;
};

// The real system calls.
SysSeam& realSysSeam();

}  // namespace zv::lnx
