// Small readers for the system's text files (sysfs attributes, udev records, tables), all
// given as paths that already lie under the system root.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zv::lnx {

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> readFileBytes(const std::string& path, size_t limit = 1 << 20);
// The first line without surrounding blanks; "" when the file cannot be read.
std::string readAttribute(const std::string& path);
// The attribute as a number; `fallback` when absent or not a number.
int64_t readNumber(const std::string& path, int64_t fallback);
bool pathExists(const std::string& path);
// Names in a directory (no "." and ".."), sorted; empty when it cannot be listed.
std::vector<std::string> listDirectory(const std::string& path);
// The path with every symbolic link resolved, relative links staying inside `root` (so
// that a recorded tree resolves like the live system). "" when a part is missing.
std::string resolveUnderRoot(const std::string& root, const std::string& absolute);
// Natural order: runs of digits compare as numbers (nvme2n1 < nvme10n1, loop9 < loop10).
bool naturalLess(const std::string& a, const std::string& b);
std::string trimmed(const std::string& text);
// Creates a folder and its parents (mode 0700 for new ones); true when it exists afterwards.
bool makeFolders(const std::string& path);
std::string lowerCase(std::string text);

}  // namespace zv::lnx
