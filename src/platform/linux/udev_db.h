// The udev database record of a block device (/run/udev/data/b<major>:<minor>), read as a
// plain file under the system root: no daemon and no privilege needed.
#pragma once

#include <map>
#include <string>

namespace zv::lnx {

struct UdevRecord {
    std::map<std::string, std::string> properties;  // E: lines
    bool present = false;                           // a record exists for the device

    // The property, "" when absent.
    std::string value(const std::string& key) const;
    // The _ENC form decoded (labels keep their blanks), else the plain value.
    std::string decoded(const std::string& key) const;
};

UdevRecord readUdevRecord(const std::string& sysRoot, unsigned major, unsigned minor);
// "\x20" escapes of udev's _ENC properties turned back into bytes.
std::string decodeUdevEscapes(const std::string& text);

}  // namespace zv::lnx
