// What the loader refuses before it parses a machine file: a file that is not a regular
// file, a file larger than kMachineFileMaxBytes (reading stops there, so that a device or an
// endless stream ends at once) and nesting deeper than kMachineFileMaxDepth.
// docs/machine-file.md names the same limits.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zv::sim {

inline constexpr size_t kMachineFileMaxBytes = size_t(16) << 20;  // 16 MiB
inline constexpr int kMachineFileMaxDepth = 64;                   // arrays and objects inside each other

struct TextProblem {
    size_t byte = 0;  // 1-based offset of the offending character
    std::string what;
};

// The first "[" or "{" of `text` that is nested too deep; nullopt when none is. Strings and
// comments are skipped as the JSON reader skips them.
std::optional<TextProblem> findTooDeepNesting(const std::string& text);

// Refuses text larger than the limit, nested too deep or not readable as JSON (an
// overflowing number such as 1e400 too), naming the file and the line and column.
void checkMachineText(const std::string& file, const std::string& text);

// The bytes of the machine file at `path`; throws MachineFileError naming the file when it
// cannot be read, is not a regular file or is larger than the limit.
std::string readMachineFile(const std::string& path);

}  // namespace zv::sim
