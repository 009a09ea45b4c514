// statvfs that cannot hang the caller: network and FUSE mounts are asked in a child process
// with a deadline, and the verdict is kept for a short while, so that one dead mount costs a
// survey one deadline, not one per query.
#pragma once

#include "platform/linux/linux_context.h"

#include <sys/statvfs.h>

#include <map>
#include <string>
#include <vector>

namespace zv::lnx {

struct VolumeStat {
    bool ok = false;
    int error = 0;             // errno of the failure; ETIMEDOUT when the deadline passed
    bool unavailable = false;  // the server does not answer (ENOTCONN, EHOSTDOWN, ESTALE, EIO, ETIMEDOUT)
    struct statvfs st {};
};

// Mounts whose answers depend on a daemon or a server.
bool needsDeadline(const std::string& fsType, bool network);
bool isUnavailableErrno(int error);

// statvfs of `path`; through a child process with the context's deadline when `guarded`.
VolumeStat statVolume(LinuxContext& ctx, const std::string& path, bool guarded);

struct LinuxContext::ProbeState {
    struct Verdict {
        VolumeStat result;
        uint64_t atNs = 0;
    };
    std::map<std::string, Verdict> verdicts;
    std::map<std::string, int> stuckChildren;  // path -> pid of a child that did not end yet
    ~ProbeState();
};

}  // namespace zv::lnx
