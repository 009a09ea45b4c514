// The real system calls behind the seam.
#include "platform/linux/sys_seam.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zv::lnx {

namespace {
class RealSysSeam final : public SysSeam {
public:
    int open(const std::string& path, int flags) override { return ::open(path.c_str(), flags | O_CLOEXEC); }
    int close(int fd) override { return ::close(fd); }
    int ioctl(int fd, unsigned long request, void* argument) override { return ::ioctl(fd, request, argument); }
};
}  // namespace

SysSeam& realSysSeam() {
    static RealSysSeam seam;
    return seam;
}

}  // namespace zv::lnx
