#include "support/scripted_seam.h"

#include <algorithm>
#include <cstring>
#include <scsi/sg.h>
#include <unistd.h>

namespace zv::fuzz {

int ScriptedSeam::open(const std::string&, int) {
    if (imageFd < 0) return 1000;
    const int fd = ::dup(imageFd);
    if (fd >= 0) m_duplicates.insert(fd);
    return fd;
}

int ScriptedSeam::close(int fd) {
    if (m_duplicates.erase(fd)) return ::close(fd);
    return 0;
}

int ScriptedSeam::ioctl(int, unsigned long request, void* argument) {
    if (request != SG_IO) return 0;
    auto* header = static_cast<sg_io_hdr_t*>(argument);
    const uint8_t opcode = header->cmd_len > 0 ? static_cast<const uint8_t*>(header->cmdp)[0] : 0;
    const ScsiAnswer none;
    const ScsiAnswer* chosen = &none;
    if (const auto found = answers.find(opcode); found != answers.end()) chosen = &found->second;
    if (opcode == 0x85 && header->cmd_len >= 16) {
        const auto* cdb = static_cast<const uint8_t*>(header->cmdp);
        if (const auto found = ataAnswers.find(ataKey(cdb[14], cdb[4])); found != ataAnswers.end()) chosen = &found->second;
    }
    const ScsiAnswer& answer = *chosen;
    header->host_status = 0;
    header->driver_status = 0;
    const size_t dataBytes = std::min<size_t>(answer.data.size(), header->dxfer_len);
    if (dataBytes && header->dxferp) std::memcpy(header->dxferp, answer.data.data(), dataBytes);
    header->resid = answer.residue >= 0 ? answer.residue : int(header->dxfer_len - dataBytes);
    const size_t senseBytes = std::min<size_t>(answer.sense.size(), header->mx_sb_len);
    if (senseBytes && header->sbp) std::memcpy(header->sbp, answer.sense.data(), senseBytes);
    header->sb_len_wr = uint8_t(senseBytes);
    header->status = answer.sense.empty() ? 0x00 : 0x02;
    header->masked_status = header->status >> 1;
    return 0;
}

}  // namespace zv::fuzz
