// A system-call seam that replays recorded SG_IO and CD-ROM exchanges and records what the
// backend asked.
#pragma once

#include "platform/linux/sys_seam.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <scsi/sg.h>
#include <string>
#include <vector>

namespace zv::lnx::testing {

// What the kernel answers one SG_IO.
struct SgReply {
    int error = 0;  // nonzero: the ioctl fails with this errno
    uint8_t status = 0;
    uint16_t hostStatus = 0;
    uint16_t driverStatus = 0;
    int resid = 0;
    std::vector<uint8_t> sense;  // written up to mx_sb_len; sb_len_wr says how many
    std::vector<uint8_t> data;   // copied into the data buffer
};

struct SgSent {
    int fd;
    int direction;
    std::vector<uint8_t> cdb;
    unsigned senseRoom;
    unsigned length;
    unsigned timeout;
};

class FakeSeam final : public SysSeam {
public:
    std::vector<std::pair<std::string, int>> opened;  // path, flags
    std::vector<int> closed;
    std::vector<std::pair<unsigned long, uintptr_t>> ioctls;  // request, argument (non-SG_IO)
    std::vector<SgSent> sent;
    std::deque<SgReply> replies;
    int openError = 0;
    int ioctlError = 0;  // for the CD-ROM ioctls
    int nextFd = 20;

    int open(const std::string& path, int flags) override {
        opened.emplace_back(path, flags);
        if (openError) {
            errno = openError;
            return -1;
        }
        return nextFd++;
    }
    int close(int fd) override {
        closed.push_back(fd);
        return 0;
    }
    int ioctl(int fd, unsigned long request, void* argument) override {
        if (request != SG_IO) {
            ioctls.emplace_back(request, reinterpret_cast<uintptr_t>(argument));
            if (ioctlError) {
                errno = ioctlError;
                return -1;
            }
            return 0;
        }
        auto* header = static_cast<sg_io_hdr_t*>(argument);
        const auto* cdb = static_cast<const uint8_t*>(header->cmdp);
        sent.push_back({fd, header->dxfer_direction, std::vector<uint8_t>(cdb, cdb + header->cmd_len), header->mx_sb_len,
                        header->dxfer_len, header->timeout});
        if (header->interface_id != 'S') {
            errno = EINVAL;
            return -1;
        }
        SgReply reply = replies.empty() ? SgReply{} : replies.front();
        if (!replies.empty()) replies.pop_front();
        if (reply.error) {
            errno = reply.error;
            return -1;
        }
        header->status = reply.status;
        header->host_status = reply.hostStatus;
        header->driver_status = reply.driverStatus;
        header->resid = reply.resid;
        const size_t senseBytes = std::min<size_t>(reply.sense.size(), header->mx_sb_len);
        if (senseBytes) std::memcpy(header->sbp, reply.sense.data(), senseBytes);
        header->sb_len_wr = uint8_t(senseBytes);
        const size_t dataBytes = std::min<size_t>(reply.data.size(), header->dxfer_len);
        if (dataBytes) std::memcpy(header->dxferp, reply.data.data(), dataBytes);
        return 0;
    }
};

}  // namespace zv::lnx::testing
