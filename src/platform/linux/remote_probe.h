// Questions about a path that cannot hang the caller: on network and FUSE mounts statvfs,
// stat, access and open are asked in a child process with a deadline, and a mount that did
// not answer is taken as silent for a while, so that one dead mount costs a command one
// deadline, not one per question.
#pragma once

#include "platform/linux/linux_context.h"

#include <sys/stat.h>
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

struct PathStat {
    bool ok = false;
    int error = 0;             // as in VolumeStat
    bool unavailable = false;
    struct stat st {};
};

// Mounts whose answers depend on a daemon or a server.
bool needsDeadline(const std::string& fsType, bool network);
bool isUnavailableErrno(int error);

// How a question about one path is asked: directly, or through a child with a deadline. The
// key names the mount, so that every question about a silent mount gets its verdict at once.
struct PathGuard {
    bool guarded = false;
    std::string key;
};

// (guardOf in volume_facts.h finds the guard of a path.)

// statvfs of `path`; through a child process with the context's deadline when `guarded`.
VolumeStat statVolume(LinuxContext& ctx, const std::string& path, bool guarded);
PathStat statPath(LinuxContext& ctx, const std::string& path, const PathGuard& guard);
// 0 when access(2) allows `mode`, else its errno (ETIMEDOUT when the mount did not answer).
int accessPath(LinuxContext& ctx, const std::string& path, int mode, const PathGuard& guard);
// open(2) with O_CLOEXEC added; -1 with *error set when it fails or the mount does not answer.
int openPath(LinuxContext& ctx, const std::string& path, int flags, mode_t mode, const PathGuard& guard, int* error);

struct LinuxContext::ProbeState {
    struct Verdict {
        VolumeStat result;
        uint64_t atNs = 0;
    };
    std::map<std::string, Verdict> verdicts;   // statvfs answers by path
    std::map<std::string, uint64_t> silentSince;  // key -> when a question got no answer
    std::map<std::string, int> stuckChildren;  // key -> pid of a child that did not end yet
    ~ProbeState();
};

}  // namespace zv::lnx
