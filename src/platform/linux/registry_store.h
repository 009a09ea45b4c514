// The per-user store behind HKEY_CURRENT_USER: one small text file in the user's
// configuration folder. Key and value names match without regard to case and keep the case
// they were created with; values keep their registry type.
//
// Writes go through rewriteOwnFile (own_file.h): under the store's lock the file is read
// again, changed and replaced atomically, so a crash or a full disk leaves the previous store
// intact and two processes keep each other's values. A malformed line is reported once on
// standard error and ignored; a store that is not one at all (no header line, not a regular
// file, too large) is treated as empty. Before the next write such a store is kept as
// "<file>.bad-<time>", never overwritten.
#pragma once

#include "platform/linux/own_file.h"
#include "platform/linux/registry_text.h"

#include <functional>
#include <string>

namespace zv::lnx {

class RegistryStore {
public:
    // `pathOf(create)`: the store's path; "" when there is none (or its folder does not exist
    // yet and `create` is false).
    explicit RegistryStore(std::function<std::string(bool create)> pathOf);
    explicit RegistryStore(const std::string& path);

    // The tree as the file holds it now (re-read when the file changed).
    const RegistryTree& tree();
    // Applies `change` to the current tree under the store's lock and writes the result.
    // Returns 0 or the errno of the failed write (the file is then unchanged).
    int update(const std::function<void(RegistryTree&)>& change);

private:
    RegistryTree readTree(const std::string& path, const OwnFileContents& contents, bool* setAside);

    std::function<std::string(bool)> m_pathOf;
    std::string m_stamp;
    RegistryTree m_tree;
};

}  // namespace zv::lnx
