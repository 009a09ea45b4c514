#include "diskinfo/system_message.h"

namespace zv::diskinfo {

std::string systemMessage(platform::Platform& platform, win::DWORD errorCode) {
    std::string text = platform.system().FormatMessageA(errorCode);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 0x20 || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string trimBlanks(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 0x20) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 0x20) --end;
    return text.substr(begin, end - begin);
}

}  // namespace zv::diskinfo
