#include "common/error_box.h"

#include <cctype>

namespace zv {

std::string errorBoxText(const std::string& message) {
    if (message.empty()) return message;
    const unsigned char last = static_cast<unsigned char>(message.back());
    // Sorting after '.' in the 8-bit code page: digits, ':', letters, and everything above.
    if (last > '.') return message + ".";
    return message;
}

std::string applicationTitle(const std::string& programPath) {
    std::string name = programPath;
    const auto slash = name.find_last_of("/\\");
    if (slash != std::string::npos) name = name.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name = name.substr(0, dot);
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        name[i] = static_cast<char>(i == 0 ? std::toupper(c) : std::tolower(c));
    }
    return name;
}

}  // namespace zv
