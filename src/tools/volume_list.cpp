#include "tools/volume_list.h"

#include <array>

namespace zv::tools {

using namespace zv::win;

namespace {

// The names are announced as 260 characters long, the buffer holds more.
constexpr DWORD kAnnouncedLength = 260;
constexpr size_t kBufferSize = 1001;

std::string bufferText(const std::array<char, kBufferSize>& buffer) {
    size_t n = 0;
    while (n < buffer.size() && buffer[n] != 0) ++n;
    return std::string(buffer.data(), n);
}

}  // namespace

std::vector<std::string> readVolumeNames(platform::Platform& platform) {
    std::vector<std::string> names;
    platform::ISystem& system = platform.system();
    const HMODULE kernel = system.LoadLibraryA("Kernel32.dll");
    if (kernel == 0) return names;
    const bool found = system.GetProcAddress(kernel, "FindFirstVolumeA") &&
                       system.GetProcAddress(kernel, "FindNextVolumeA") &&
                       system.GetProcAddress(kernel, "FindVolumeClose");
    if (found) {
        std::array<char, kBufferSize> buffer{};
        const HANDLE search = platform.drives().FindFirstVolumeA(buffer.data(), kAnnouncedLength);
        if (search != INVALID_HANDLE_VALUE && search != 0) {
            names.push_back(bufferText(buffer));
            buffer.fill(0);
            while (platform.drives().FindNextVolumeA(search, buffer.data(), kAnnouncedLength)) {
                names.push_back(bufferText(buffer));
                buffer.fill(0);
            }
            platform.drives().FindVolumeClose(search);
        }
    }
    system.FreeLibrary(kernel);
    return names;
}

}  // namespace zv::tools
