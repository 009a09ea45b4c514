#include "platform/linux/block_device_facts.h"

#include "platform/linux/sysfs.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace zv::lnx {

std::vector<std::string> sortedBlockNames(LinuxContext& ctx, const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(ctx.sysPath(folder), error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

std::string readSysAttribute(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    if (!file || !std::getline(file, line)) return {};
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();
    return line;
}

std::map<std::string, std::string> udevProperties(LinuxContext& ctx, const std::string& majorMinor) {
    std::map<std::string, std::string> properties;
    if (majorMinor.empty()) return properties;
    std::ifstream file(ctx.sysPath("/run/udev/data/b" + majorMinor));
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("E:", 0) != 0) continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        properties[line.substr(2, equals - 2)] = line.substr(equals + 1);
    }
    return properties;
}

std::string decodeUdevText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace zv::lnx
