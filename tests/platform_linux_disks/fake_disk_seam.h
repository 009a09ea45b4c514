// A system-call seam that records every SG_IO, HDIO and NVMe exchange and answers from a script,
// and a recorded sysfs/udev tree of one SATA disk, for the Linux disk backend tests.
#pragma once

#include "platform/linux/sys_seam.h"

#include <scsi/sg.h>
#include <linux/hdreg.h>
#include <linux/nvme_ioctl.h>
#include <sys/ioctl.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace zv::lnx::test {

struct Exchange {
    unsigned long request = 0;
    std::vector<uint8_t> cdb;   // SG_IO
    int direction = 0;
    unsigned length = 0;
    unsigned timeout = 0;
    std::vector<uint8_t> hdio;  // HDIO_DRIVE_CMD: the 4 register bytes sent
    nvme_admin_cmd nvme{};      // NVME_IOCTL_ADMIN_CMD: the command as sent
};

struct ScriptedAnswer {
    int error = 0;                 // ioctl fails with this errno
    std::vector<uint8_t> data;     // copied into the data buffer
    uint8_t status = 0;            // SCSI status
    std::vector<uint8_t> sense;
    std::vector<uint8_t> hdioRegisters;  // status, error written back for HDIO
    int returnValue = 0;           // NVMe: the controller's status field; NVME_IOCTL_ID: the namespace
    uint32_t nvmeResult = 0;       // NVMe: completion dword 0
};

class FakeDiskSeam final : public SysSeam {
public:
    std::map<std::string, std::string> images;  // node -> host file opened for real
    std::map<std::string, int> nodes;           // node -> fake descriptor
    std::vector<std::string> opened;
    std::vector<Exchange> exchanges;
    std::deque<ScriptedAnswer> answers;

    int open(const std::string& path, int flags) override {
        opened.push_back(path);
        if (auto it = images.find(path); it != images.end()) return ::open(it->second.c_str(), flags & (O_RDONLY | O_RDWR | O_WRONLY));
        if (auto it = nodes.find(path); it != nodes.end()) return it->second;
        errno = EACCES;
        return -1;
    }
    int close(int fd) override { return fd >= 100 ? 0 : ::close(fd); }
    int ioctl(int, unsigned long request, void* argument) override {
        Exchange e;
        e.request = request;
        ScriptedAnswer answer;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        if (request == SG_IO) {
            auto* hdr = static_cast<sg_io_hdr_t*>(argument);
            e.cdb.assign(hdr->cmdp, hdr->cmdp + hdr->cmd_len);
            e.direction = hdr->dxfer_direction;
            e.length = hdr->dxfer_len;
            e.timeout = hdr->timeout;
            exchanges.push_back(e);
            if (answer.error) {
                errno = answer.error;
                return -1;
            }
            if (!answer.data.empty() && hdr->dxferp)
                std::memcpy(hdr->dxferp, answer.data.data(), std::min<size_t>(answer.data.size(), hdr->dxfer_len));
            hdr->status = answer.status;
            hdr->sb_len_wr = uint8_t(std::min<size_t>(answer.sense.size(), hdr->mx_sb_len));
            if (!answer.sense.empty()) std::memcpy(hdr->sbp, answer.sense.data(), hdr->sb_len_wr);
            return 0;
        }
        if (request == HDIO_DRIVE_CMD) {
            auto* buffer = static_cast<uint8_t*>(argument);
            e.hdio.assign(buffer, buffer + 4);
            exchanges.push_back(e);
            if (!answer.hdioRegisters.empty()) std::memcpy(buffer, answer.hdioRegisters.data(), answer.hdioRegisters.size());
            if (answer.error) {
                errno = answer.error;
                return -1;
            }
            if (!answer.data.empty()) std::memcpy(buffer + 4, answer.data.data(), std::min<size_t>(answer.data.size(), 512));
            return 0;
        }
        if (request == NVME_IOCTL_ADMIN_CMD) {
            auto* cmd = static_cast<nvme_admin_cmd*>(argument);
            e.nvme = *cmd;
            exchanges.push_back(e);
            if (answer.error) {
                errno = answer.error;
                return -1;
            }
            if (!answer.data.empty() && cmd->addr)
                std::memcpy(reinterpret_cast<void*>(uintptr_t(cmd->addr)), answer.data.data(),
                            std::min<size_t>(answer.data.size(), cmd->data_len));
            cmd->result = answer.nvmeResult;
            return answer.returnValue;
        }
        exchanges.push_back(e);
        if (request == NVME_IOCTL_ID && !answer.error) return answer.returnValue;
        errno = answer.error ? answer.error : ENOTTY;
        return -1;
    }
};

// A recorded tree under a temporary root.
class RecordedTree {
public:
    RecordedTree() {
        char name[] = "/tmp/zv-disks-XXXXXX";
        m_root = ::mkdtemp(name);
    }
    ~RecordedTree() { std::filesystem::remove_all(m_root); }
    const std::string& root() const { return m_root; }

    void file(const std::string& path, const std::string& text) {
        const std::filesystem::path p = m_root + path;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }
    void link(const std::string& path, const std::string& target) {
        const std::filesystem::path p = m_root + path;
        std::filesystem::create_directories(p.parent_path());
        std::filesystem::create_symlink(target, p);
    }
    // A whole disk under its device path, linked from /sys/block; `devicePath` below /sys/devices.
    void disk(const std::string& name, const std::string& devicePath, const std::string& numbers) {
        const std::string dir = "/sys/devices/" + devicePath + "/block/" + name;
        file(dir + "/dev", numbers + "\n");
        file(dir + "/size", "2097152\n");
        file(dir + "/removable", "0\n");
        link("/sys/block/" + name, "../devices/" + devicePath + "/block/" + name);
        m_diskDirs[name] = dir;
    }
    void partition(const std::string& disk, int number, const std::string& numbers, uint64_t start, uint64_t size,
                   const std::string& udev) {
        const std::string dir = m_diskDirs.at(disk) + "/" + disk + std::to_string(number);
        file(dir + "/dev", numbers + "\n");
        file(dir + "/partition", std::to_string(number) + "\n");
        file(dir + "/start", std::to_string(start) + "\n");
        file(dir + "/size", std::to_string(size) + "\n");
        if (!udev.empty()) file("/run/udev/data/b" + numbers, udev);
    }

private:
    std::string m_root;
    std::map<std::string, std::string> m_diskDirs;
};

}  // namespace zv::lnx::test
