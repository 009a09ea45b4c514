// The text form of the per-user registry store:
//
//   Zorvane registry 1
//
//   [Software\Microsoft]
//   "Name"=dword:0000002a
//   "Other"=hex(3):01,02
//
// Value names are quoted, with \" and the escapes of line_escape.h; key names hold no
// control character.
#pragma once

#include "platform/linux/bad_line.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
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

// True for a key path that can be stored: no control character (a line break would end
// the key's line).
bool storableKeyPath(const std::string& path);

struct ParsedRegistryStore {
    RegistryTree tree;
    std::vector<BadLine> badLines;
};

// The text form of a tree and back. parseRegistryStore never throws; text without the
// header line is no store (one bad line, an empty tree).
std::string registryText(const RegistryTree& tree);
ParsedRegistryStore parseRegistryStore(std::string_view text);

}  // namespace zv::lnx
