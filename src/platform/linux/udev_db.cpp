// Reads udev's database records.
#include "platform/linux/udev_db.h"

#include "platform/linux/sysfs.h"

#include <cctype>

namespace zv::lnx {

std::string UdevRecord::value(const std::string& key) const {
    auto it = properties.find(key);
    return it == properties.end() ? std::string() : it->second;
}

std::string UdevRecord::decoded(const std::string& key) const {
    auto it = properties.find(key + "_ENC");
    if (it != properties.end()) return decodeUdevEscapes(it->second);
    return value(key);
}

std::string decodeUdevEscapes(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 3]))) {
            out.push_back(char(std::stoi(text.substr(i + 2, 2), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

UdevRecord readUdevRecord(const std::string& sysRoot, unsigned major, unsigned minor) {
    UdevRecord record;
    std::string root = sysRoot == "/" ? std::string() : sysRoot;
    auto data = readFileBytes(root + "/run/udev/data/b" + std::to_string(major) + ":" + std::to_string(minor));
    if (!data) return record;
    record.present = true;
    size_t pos = 0;
    while (pos < data->size()) {
        size_t end = data->find('\n', pos);
        if (end == std::string::npos) end = data->size();
        std::string line = data->substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > 2 && line[0] == 'E' && line[1] == ':') {
            size_t eq = line.find('=');
            if (eq != std::string::npos) record.properties[line.substr(2, eq - 2)] = line.substr(eq + 1);
        }
    }
    return record;
}

}  // namespace zv::lnx
