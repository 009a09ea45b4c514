// File systems made for the tests on the real kernel: loop images, a RAM disk and a FUSE
// network mount over the loopback interface. Every mount and loop device is undone by the
// destructors, and leftovers of an earlier run that crashed are swept away first.
#pragma once

#include <string>
#include <vector>

namespace zv::lnx::roottest {

// Runs a shell command; its standard output, or nullopt-like "" with ok false.
struct CommandResult {
    int status = -1;
    std::string output;
    bool ok() const { return status == 0; }
};
CommandResult run(const std::string& command);

// Why the tests cannot run here ("" when they can).
std::string unavailableReason();

struct MountedImage {
    std::string name;        // "ext4", "xfs" ...
    std::string image;       // backing file
    std::string loopDevice;  // "/dev/loop3"
    std::string mountPoint;
    std::string label;
};

class ScratchMounts {
public:
    explicit ScratchMounts(const std::string& base);
    ~ScratchMounts();
    ScratchMounts(const ScratchMounts&) = delete;
    ScratchMounts& operator=(const ScratchMounts&) = delete;

    // mkfs command with "%s" for the device; mount command with "%d" device and "%m" point.
    bool addImage(const std::string& name, unsigned mebibytes, const std::string& mkfs, const std::string& mount,
                  const std::string& label, std::string* why);
    bool addTmpfs(const std::string& name, unsigned mebibytes, std::string* why);
    // sshd on 127.0.0.1 with throwaway keys, and an sshfs mount of a folder through it.
    bool addSshfs(const std::string& name, std::string* why);

    const std::vector<MountedImage>& images() const { return m_images; }
    std::string mountPointOf(const std::string& name) const;
    int sshfsPid() const { return m_sshfsPid; }
    const std::string& base() const { return m_base; }

    // Removes what an earlier run under the same prefix left behind.
    static void sweep(const std::string& prefix);

private:
    std::string m_base;
    std::vector<MountedImage> m_images;
    std::vector<std::string> m_mountPoints;  // in order of mounting
    int m_sshdPid = -1;
    int m_sshfsPid = -1;
};

}  // namespace zv::lnx::roottest
