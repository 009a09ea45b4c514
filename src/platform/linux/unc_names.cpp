// Mount sources to UNC names.
#include "platform/linux/unc_names.h"

namespace zv::lnx {

namespace {

std::string backslashed(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    while (!path.empty() && path.front() == '\\') path.erase(0, 1);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string joined(const std::string& host, const std::string& path) {
    std::string rest = backslashed(path);
    return "\\\\" + host + (rest.empty() ? std::string() : "\\" + rest);
}

}  // namespace

std::string uncNameForSource(const std::string& source, const std::string& /*fsType*/) {
    if (source.rfind("//", 0) == 0 || source.rfind("\\\\", 0) == 0) {
        std::string rest = backslashed(source.substr(2));
        return "\\\\" + rest;
    }
    std::string hostPart, path;
    if (!source.empty() && source[0] == '[') {  // [IPv6]:/path
        size_t close = source.find(']');
        if (close != std::string::npos) {
            hostPart = source.substr(1, close - 1);
            path = close + 1 < source.size() && source[close + 1] == ':' ? source.substr(close + 2) : source.substr(close + 1);
            return joined(hostPart, path);
        }
    }
    size_t colon = source.find(':');
    if (colon != std::string::npos) {
        hostPart = source.substr(0, colon);
        path = source.substr(colon + 1);
        size_t at = hostPart.rfind('@');
        if (at != std::string::npos) hostPart = hostPart.substr(at + 1);
        return joined(hostPart, path);
    }
    return joined(backslashed(source), "");
}

}  // namespace zv::lnx
