// Small text helpers shared by the concerns.
#include "platform/linux/linux_concerns.h"

#include <cctype>
#include <cstring>

namespace zv::lnx {

bool copyText(char* buffer, DWORD size, const std::string& text) {
    if (!buffer || size == 0) return false;
    if (text.size() + 1 > size) {
        buffer[0] = 0;
        return false;
    }
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return true;
}

char driveLetterOf(const char* path) {
    if (!path || !std::isalpha(static_cast<unsigned char>(path[0])) || path[1] != ':') return 0;
    return char(std::toupper(static_cast<unsigned char>(path[0])));
}

}  // namespace zv::lnx
