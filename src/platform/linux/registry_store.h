// The per-user store behind HKEY_CURRENT_USER: one small text file in the user's
// configuration folder. Key and value names match without regard to case and keep the case
// they were created with; values keep their registry type.
//
// Writes replace the file atomically (temporary file, fsync, rename), so a crash or a full
// disk leaves the previous store intact. A store that cannot be read is reported once on
// standard error and treated as empty; before the next write it is moved aside to
// "<file>.corrupt", never overwritten.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zv::lnx {

struct RegistryValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct RegistryKeyData {
    std::string name;  // full path as created ("Software\Microsoft")
    std::map<std::string, std::pair<std::string, RegistryValue>> values;  // lower-case name -> (name, value)
};

using RegistryTree = std::map<std::string, RegistryKeyData>;  // lower-case path -> key

// "\Software\\Microsoft\" -> "Software\Microsoft".
std::string normalizedKeyPath(const std::string& path);

// The text form of a tree and back. parseRegistryText returns nullopt for text that is not
// a store, with the reason in *why.
std::string registryText(const RegistryTree& tree);
std::optional<RegistryTree> parseRegistryText(const std::string& text, std::string* why);

class RegistryStore {
public:
    explicit RegistryStore(std::string path);

    // The tree as the file holds it now (re-read when the file changed).
    const RegistryTree& tree();
    // Applies `change` to the current tree under a lock and writes the result. Returns 0 or
    // the errno of the failed write (the file is then unchanged).
    int update(const std::function<void(RegistryTree&)>& change);

    const std::string& path() const { return m_path; }

private:
    void reload(bool force);

    std::string m_path;
    std::string m_stamp;
    RegistryTree m_tree;
    bool m_corrupt = false;
    bool m_reported = false;
};

}  // namespace zv::lnx
