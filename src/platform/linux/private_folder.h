// A folder that holds Zorvane's own files: the per-login runtime folder (substitute table,
// network mount points) or the per-user configuration folder (registry store, letters file,
// start-up file).
//
// The folder is used only when it is a real directory (not a symbolic link) owned by this
// user and not writable by group or others; a missing one is created with mode 0700 when a
// file is first written. Otherwise another user could plant entries or have this user write
// through a link, so Zorvane says why once on standard error and keeps its files for this
// run in a fresh private folder (mkdtemp), removed again when the run ends.
#pragma once

#include <string>

namespace zv::lnx {

// Why `path` may not hold Zorvane's files; "" when it may.
std::string privateFolderProblem(const std::string& path);

class PrivateFolder {
public:
    // `wanted`: the folder to use ("" for none); `what`: its name for messages.
    PrivateFolder(std::string wanted, std::string what);
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // The folder to read and write in. "" when none is configured, or when it does not exist
    // yet and `create` is false (there is nothing to read then).
    std::string path(bool create);

private:
    std::string fallback(const std::string& problem);

    std::string m_wanted;
    std::string m_what;
    std::string m_resolved;
    bool m_temporary = false;
};

}  // namespace zv::lnx
