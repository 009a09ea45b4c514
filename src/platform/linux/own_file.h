// Reading and writing Zorvane's own files: the registry store, the letters file, the
// substitute table and the start-up file.
//
//  - Reading never follows a symbolic link and takes only a regular file up to a size limit;
//    anything else is refused with a reason (and treated as holding nothing).
//  - Every write goes through rewriteOwnFile: under the file's lock (file_lock.h) the file is
//    read again, the new text is made from what it holds now, written to a unique temporary
//    file in the same folder, flushed and renamed over the file. Readers see the old or the
//    new file, never an empty or partial one.
//  - A file with malformed lines is used without them; each problem is reported once on
//    standard error naming the file and the line. Before the file is next rewritten, it is
//    kept as "<file>.bad-<YYYYMMDD-HHMMSS>" so that nothing the user had is lost silently; a
//    refused file (not a regular file, too large, unreadable) is moved there the same way.
#pragma once

#include "platform/linux/bad_line.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zv::lnx {

// Largest own file read (the registry store holds a few keys; the others a line a letter).
inline constexpr size_t kOwnFileLimit = 4 << 20;

struct OwnFileContents {
    enum class State { Absent, Read, Refused };
    State state = State::Absent;
    std::string text;     // when Read
    std::string problem;  // when Refused: why, for the user
};

OwnFileContents readOwnFile(const std::string& path, size_t limit = kOwnFileLimit);

// What a rewrite makes of the file as it is now.
struct OwnFileRewrite {
    std::string text;
    bool setAsideFirst = false;  // the current file had bad lines: keep it as .bad-<time>
};

// Rewrites `path` from its current contents (see above). Returns 0, or the errno of the
// failure (the file is then unchanged). `compose` may throw: lock and descriptors are
// released and the file stays as it was.
int rewriteOwnFile(const std::string& path, const std::function<OwnFileRewrite(const OwnFileContents&)>& compose);

// Writes `text` to `path` through a unique temporary file in the same folder, fsync and
// rename. 0 or errno; no temporary file is left behind.
int writeFileAtomically(const std::string& path, std::string_view text);

// Prints "zorvane: <message>" on standard error, once per process for the same message.
void reportOnce(const std::string& message);
// Reports each bad line of `path` once: "<path>, line N: <reason>; the line is ignored".
void reportBadLines(const std::string& path, const std::vector<BadLine>& badLines);

}  // namespace zv::lnx
