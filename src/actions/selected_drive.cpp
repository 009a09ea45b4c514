#include "actions/selected_drive.h"

namespace zv::actions {

std::optional<char> letterOfCaption(const std::string& caption) {
    if (caption.empty()) return std::nullopt;
    return caption.front();
}

std::string rootPathOfCaption(const std::string& caption) {
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    size_t begin = 0;
    size_t end = caption.size();
    while (begin < end && isBlank(caption[begin])) ++begin;
    while (end > begin && isBlank(caption[end - 1])) --end;
    return caption.substr(begin, end - begin) + "\\";
}

std::string driveName(char letter) { return std::string(1, letter) + ":"; }

}  // namespace zv::actions
