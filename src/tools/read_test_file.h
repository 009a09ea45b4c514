// The benchmark's temporary file: created so that it never replaces an existing file,
// written in full with incompressible data, flushed, then read back in 64 KiB blocks with
// the system's cache bypassed where the file system allows it. The file is deleted when it
// is closed, on every path; on Linux it has no name while it is open, so that nothing is
// left behind when the process is interrupted or killed.
#pragma once

#include "platform/api/platform.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zv::tools {

inline constexpr uint32_t kBenchmarkBlockSize = 0x10000;    // 65,536 bytes
inline constexpr uint64_t kBenchmarkFileSize = 0xA00000;    // 10,485,760 bytes

// Eight decimal digits followed by ".TMP", drawn from a pseudo-random generator.
std::function<std::string()> randomTemporaryNames();

class ReadTestFile {
public:
    // `names` gives the next candidate file name ("04718263.TMP") on each call.
    ReadTestFile(platform::Platform& platform, std::function<std::string()> names);
    ~ReadTestFile();
    ReadTestFile(const ReadTestFile&) = delete;
    ReadTestFile& operator=(const ReadTestFile&) = delete;

    // Creates a new file in `folder` ("X:\" or "X:\path\"), taking a new name when one is
    // taken. Unbuffered when the file system allows it, else buffered (cacheBypassed()
    // false). False when no file could be created.
    bool create(const std::string& folder);
    // Writes `size` bytes (whole blocks) of incompressible data and flushes them to the
    // medium. False at the first failed write (a full drive) or a failed flush.
    bool writeAll(uint64_t size);
    // Reads the whole file from its start, block by block, and answers the nanoseconds the
    // reads took. Drops the file's cached pages first when the cache is not bypassed.
    // nullopt at the first failed or short read.
    std::optional<uint64_t> timedRead();
    // Closes the file, which deletes it; removes it by name only when the close failed.
    void close();

    bool cacheBypassed() const { return m_unbuffered; }
    const std::string& path() const { return m_path; }
    uint64_t size() const { return m_size; }

private:
    platform::Platform& m_platform;
    std::function<std::string()> m_names;
    std::unique_ptr<uint8_t, void (*)(void*)> m_buffer;
    win::HANDLE m_handle = win::INVALID_HANDLE_VALUE;
    std::string m_path;
    uint64_t m_size = 0;
    bool m_unbuffered = false;
};

}  // namespace zv::tools
