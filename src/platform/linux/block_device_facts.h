// Facts about block devices read from sysfs and the udev database under the system root,
// shared by the management query and the volume names.
#pragma once

#include "platform/linux/linux_context.h"

#include <map>
#include <string>
#include <vector>

namespace zv::lnx {

// Names in /sys/class/block (or /sys/block), sorted by name with numbers compared as
// numbers (sda < sdb < sdaa, nvme0n1 < nvme1n1, loop2 < loop10).
std::vector<std::string> sortedBlockNames(LinuxContext& ctx, const std::string& folder);

// One attribute file's first line, "" when absent.
std::string readSysAttribute(const std::string& path);

// The udev database's properties ("E:KEY=VALUE") of a block device, by its "major:minor";
// empty when udev keeps no record.
std::map<std::string, std::string> udevProperties(LinuxContext& ctx, const std::string& majorMinor);

// udev's "\x20"-style escapes decoded.
std::string decodeUdevText(const std::string& text);

}  // namespace zv::lnx
