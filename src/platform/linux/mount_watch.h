// Noticing that the machine's tables changed: the kernel's mount and unmount events on an
// open mountinfo, and cheap stamps of the other files the letter table is built from.
#pragma once

#include "platform/linux/unique_fd.h"

#include <cstdint>
#include <string>

namespace zv::lnx {

class MountWatch {
public:
    // True when the mount table at `mountinfoPath` changed since the last call (always on
    // the first call). `built` false forces a fresh comparison for files that cannot be
    // polled.
    bool changed(const std::string& mountinfoPath, bool built);

private:
    UniqueFd m_fd;
    bool m_pollable = false;
    std::string m_bytes;  // last mount table read (for files that cannot be polled)
};

// Inode, size and modification time of a file; "-" when it does not exist.
std::string fileChangeStamp(const std::string& path);
// The kernel names under a /sys/block folder, one string.
std::string blockDeviceNames(const std::string& sysBlockPath);

}  // namespace zv::lnx
