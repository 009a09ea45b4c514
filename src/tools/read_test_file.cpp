#include "tools/read_test_file.h"

#include <cstdio>
#include <cstdlib>
#include <random>

namespace zv::tools {

using namespace zv::win;

namespace {

// Unbuffered transfers need a buffer aligned to the device's logical block; 4096 covers
// every sector size in use.
constexpr size_t kBufferAlignment = 4096;
constexpr int kNameAttempts = 16;

constexpr DWORD kTestFileFlags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH | FILE_FLAG_SEQUENTIAL_SCAN |
                                 FILE_FLAG_DELETE_ON_CLOSE;

// xorshift64*: fast enough to fill every block anew, and its output does not compress,
// so a compressing or deduplicating file system still has to store every byte.
class IncompressibleData {
public:
    explicit IncompressibleData(uint64_t start) : m_state(start | 1) {}
    void fill(uint8_t* buffer, size_t size) {
        for (size_t i = 0; i + 8 <= size; i += 8) {
            m_state ^= m_state >> 12;
            m_state ^= m_state << 25;
            m_state ^= m_state >> 27;
            const uint64_t value = m_state * 0x2545F4914F6CDD1DULL;
            for (int k = 0; k < 8; ++k) buffer[i + k] = static_cast<uint8_t>(value >> (8 * k));
        }
    }

private:
    uint64_t m_state;
};

}  // namespace

std::function<std::string()> randomTemporaryNames() {
    auto generator = std::make_shared<std::mt19937>(std::random_device{}());
    return [generator]() {
        std::uniform_int_distribution<int> digit(0, 9);
        std::string name;
        for (int i = 0; i < 8; ++i) name += static_cast<char>('0' + digit(*generator));
        return name + ".TMP";
    };
}

ReadTestFile::ReadTestFile(platform::Platform& platform, std::function<std::string()> names)
    : m_platform(platform),
      m_names(std::move(names)),
      m_buffer(static_cast<uint8_t*>(std::aligned_alloc(kBufferAlignment, kBenchmarkBlockSize)), &std::free) {}

ReadTestFile::~ReadTestFile() { close(); }

bool ReadTestFile::create(const std::string& folder) {
    close();
    if (!m_buffer) return false;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = folder + m_names();
        for (const bool unbuffered : {true, false}) {
            const DWORD flags = kTestFileFlags | (unbuffered ? FILE_FLAG_NO_BUFFERING : 0);
            const HANDLE handle = m_platform.io().CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                              CREATE_NEW, flags);
            if (handle != INVALID_HANDLE_VALUE && handle != 0) {
                m_handle = handle;
                m_path = path;
                m_unbuffered = unbuffered;
                m_size = 0;
                return true;
            }
            const DWORD error = m_platform.GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) break;  // next name
            // Only a refusal of unbuffered transfers is worth a buffered second try.
            if (!unbuffered || error != ERROR_INVALID_PARAMETER) return false;
        }
    }
    return false;
}

bool ReadTestFile::writeAll(uint64_t size) {
    if (m_handle == INVALID_HANDLE_VALUE) return false;
    platform::IIo& io = m_platform.io();
    if (io.SetFilePointer(m_handle, 0, nullptr, FILE_BEGIN) != 0) return false;
    IncompressibleData data(m_platform.system().MonotonicNanoseconds() ^ 0x9E3779B97F4A7C15ULL);
    const uint64_t blocks = (size + kBenchmarkBlockSize - 1) / kBenchmarkBlockSize;
    for (uint64_t block = 0; block < blocks; ++block) {
        data.fill(m_buffer.get(), kBenchmarkBlockSize);
        DWORD written = 0;
        if (!io.WriteFile(m_handle, m_buffer.get(), kBenchmarkBlockSize, &written) || written != kBenchmarkBlockSize)
            return false;
        m_size += kBenchmarkBlockSize;
    }
    return io.FlushFileBuffers(m_handle) != FALSE;
}

std::optional<uint64_t> ReadTestFile::timedRead() {
    if (m_handle == INVALID_HANDLE_VALUE || m_size == 0) return std::nullopt;
    platform::IIo& io = m_platform.io();
    if (io.SetFilePointer(m_handle, 0, nullptr, FILE_BEGIN) != 0) return std::nullopt;
    // Without unbuffered reads the data written a moment ago would come from memory.
    if (!m_unbuffered) io.DiscardCachedData(m_handle);
    const uint64_t blocks = m_size / kBenchmarkBlockSize;
    const uint64_t t0 = m_platform.system().MonotonicNanoseconds();
    for (uint64_t block = 0; block < blocks; ++block) {
        DWORD read = 0;
        if (!io.ReadFile(m_handle, m_buffer.get(), kBenchmarkBlockSize, &read) || read != kBenchmarkBlockSize)
            return std::nullopt;
    }
    const uint64_t t1 = m_platform.system().MonotonicNanoseconds();
    return t1 >= t0 ? t1 - t0 : 0;
}

void ReadTestFile::close() {
    if (m_handle == INVALID_HANDLE_VALUE) return;
    const bool closed = m_platform.io().CloseHandle(m_handle) != FALSE;
    m_handle = INVALID_HANDLE_VALUE;
    // A closed handle took its file along (delete on close); where the system frees the name
    // as soon as the file is open, the name may be another program's file by now, so only a
    // failed close is followed by a delete by name.
    if (!closed && m_platform.io().FileExists(m_path.c_str())) m_platform.io().DeleteFileA(m_path.c_str());
    m_size = 0;
}

}  // namespace zv::tools
