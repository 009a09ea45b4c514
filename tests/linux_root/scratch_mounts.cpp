// Scratch file systems on the real kernel.
#include "scratch_mounts.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zv::lnx::roottest {

namespace fs = std::filesystem;

CommandResult run(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) result.output.append(buffer.data(), n);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string unavailableReason() {
    if (::geteuid() != 0) return "the tests on the real kernel need root (loop devices and mounts)";
    if (!fs::exists("/dev/loop-control")) return "this kernel offers no loop devices";
    if (!run("command -v losetup mkfs.ext4").ok()) return "util-linux or e2fsprogs is missing";
    return {};
}

namespace {

std::string replaced(std::string text, const std::string& key, const std::string& value) {
    for (size_t pos = text.find(key); pos != std::string::npos; pos = text.find(key, pos + value.size()))
        text.replace(pos, key.size(), value);
    return text;
}

void unmount(const std::string& point) {
    if (run("mountpoint -q '" + point + "'").ok()) {
        if (!run("umount '" + point + "'").ok()) run("umount -l '" + point + "'");
    }
}

// Folders are named after the process that made them; only a dead one's are swept.
bool ownerAlive(const std::string& path, const std::string& prefix) {
    int pid = std::atoi(path.c_str() + prefix.size());
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace

void ScratchMounts::sweep(const std::string& prefix) {
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    std::vector<std::string> points;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers, root, point;
        fields >> id >> parent >> numbers >> root >> point;
        if (point.rfind(prefix, 0) == 0 && !ownerAlive(point, prefix)) points.push_back(point);
    }
    for (auto it = points.rbegin(); it != points.rend(); ++it) run("umount -l '" + *it + "'");
    CommandResult loops = run("losetup -a -O NAME,BACK-FILE -n");
    std::istringstream lines(loops.output);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, backing;
        fields >> device >> backing;
        if (backing.rfind(prefix, 0) == 0 && !ownerAlive(backing, prefix)) run("losetup -d " + device);
    }
}

ScratchMounts::ScratchMounts(const std::string& base) : m_base(base) { fs::create_directories(base); }

ScratchMounts::~ScratchMounts() {
    if (m_sshfsPid > 0) {
        ::kill(m_sshfsPid, SIGCONT);
        ::kill(m_sshfsPid, SIGKILL);
    }
    for (auto it = m_mountPoints.rbegin(); it != m_mountPoints.rend(); ++it) {
        run("fusermount3 -u -z '" + *it + "'");
        unmount(*it);
    }
    if (m_sshdPid > 0) {
        ::kill(-m_sshdPid, SIGKILL);  // the listener and its sessions (its own process group)
        ::kill(m_sshdPid, SIGKILL);
    }
    for (const auto& image : m_images)
        if (!image.loopDevice.empty()) run("losetup -d " + image.loopDevice);
    std::error_code ignored;
    fs::remove_all(m_base, ignored);
}

bool ScratchMounts::addImage(const std::string& name, unsigned mebibytes, const std::string& mkfs,
                             const std::string& mount, const std::string& label, std::string* why) {
    MountedImage image;
    image.name = name;
    image.label = label;
    image.image = m_base + "/" + name + ".img";
    image.mountPoint = m_base + "/mnt-" + name;
    fs::create_directories(image.mountPoint);
    if (!run("truncate -s " + std::to_string(mebibytes) + "M '" + image.image + "'").ok()) {
        *why = "cannot create " + image.image;
        return false;
    }
    CommandResult loop = run("losetup -f --show '" + image.image + "'");
    if (!loop.ok()) {
        *why = "losetup: " + loop.output;
        return false;
    }
    image.loopDevice = loop.output.substr(0, loop.output.find('\n'));
    m_images.push_back(image);
    CommandResult made = run(replaced(mkfs, "%s", image.loopDevice));
    if (!made.ok()) {
        *why = name + ": " + made.output;
        return false;
    }
    CommandResult mounted = run(replaced(replaced(mount, "%d", image.loopDevice), "%m", image.mountPoint));
    if (!mounted.ok()) {
        *why = name + " mount: " + mounted.output;
        return false;
    }
    m_mountPoints.push_back(image.mountPoint);
    return true;
}

bool ScratchMounts::addTmpfs(const std::string& name, unsigned mebibytes, std::string* why) {
    std::string point = m_base + "/mnt-" + name;
    fs::create_directories(point);
    CommandResult mounted = run("mount -t tmpfs -o size=" + std::to_string(mebibytes) + "m zvram '" + point + "'");
    if (!mounted.ok()) {
        *why = "tmpfs: " + mounted.output;
        return false;
    }
    m_mountPoints.push_back(point);
    MountedImage image;
    image.name = name;
    image.mountPoint = point;
    m_images.push_back(image);
    return true;
}

bool ScratchMounts::addSshfs(const std::string& name, std::string* why) {
    if (!run("command -v sshfs").ok() || !fs::exists("/usr/sbin/sshd")) {
        *why = "sshfs or the OpenSSH server is not installed";
        return false;
    }
    std::string dir = m_base + "/ssh";
    fs::create_directories(dir);
    fs::create_directories(m_base + "/exported");
    fs::create_directories("/run/sshd");
    if (!run("ssh-keygen -q -t ed25519 -N '' -f " + dir + "/host && ssh-keygen -q -t ed25519 -N '' -f " + dir +
             "/user && cp " + dir + "/user.pub " + dir + "/authorized")
             .ok()) {
        *why = "ssh-keygen failed";
        return false;
    }
    int port = 20000 + int(::getpid() % 20000);
    std::string sshd = "setsid /usr/sbin/sshd -D -e -p " + std::to_string(port) + " -h " + dir +
                       "/host -o ListenAddress=127.0.0.1 -o AuthorizedKeysFile=" + dir +
                       "/authorized -o PermitRootLogin=yes -o StrictModes=no -o UsePAM=no -o PidFile=" + dir +
                       "/sshd.pid > " + dir + "/sshd.log 2>&1 & echo $!";
    CommandResult started = run(sshd);
    m_sshdPid = std::atoi(started.output.c_str());
    for (int i = 0; i < 50 && !run("ssh-keyscan -p " + std::to_string(port) + " 127.0.0.1 >/dev/null").ok(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::string point = m_base + "/mnt-" + name;
    fs::create_directories(point);
    CommandResult mounted = run("sshfs -p " + std::to_string(port) + " -o IdentityFile=" + dir +
                                "/user,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,BatchMode=yes root@127.0.0.1:" +
                                m_base + "/exported '" + point + "'");
    if (!mounted.ok()) {
        *why = "sshfs: " + mounted.output;
        return false;
    }
    m_mountPoints.push_back(point);
    CommandResult pid = run("pgrep -n -f '^sshfs -p " + std::to_string(port) + "'");
    m_sshfsPid = std::atoi(pid.output.c_str());
    MountedImage image;
    image.name = name;
    image.mountPoint = point;
    m_images.push_back(image);
    return true;
}

std::string ScratchMounts::mountPointOf(const std::string& name) const {
    for (const auto& image : m_images)
        if (image.name == name) return image.mountPoint;
    return {};
}

}  // namespace zv::lnx::roottest
