#include "platform/sim/sim_registry_tree.h"

#include "platform/sim/sim_text.h"

namespace zv::sim {

std::vector<std::string> registryPathParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '\\') {
            if (!current.empty()) parts.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

SimRegistryKey* registryFind(SimRegistryKey& from, const std::string& path) {
    SimRegistryKey* key = &from;
    for (const std::string& part : registryPathParts(path)) {
        auto found = key->children.find(upper(part));
        if (found == key->children.end()) return nullptr;
        key = found->second.get();
    }
    return key;
}

SimRegistryKey* registryCreatePath(SimRegistryKey& from, const std::string& path, bool* created) {
    if (created) *created = false;
    SimRegistryKey* key = &from;
    for (const std::string& part : registryPathParts(path)) {
        if (part.size() > 255) return nullptr;
        auto& slot = key->children[upper(part)];
        if (!slot) {
            slot = std::make_unique<SimRegistryKey>();
            slot->name = part;
            if (created) *created = true;
        } else if (created) {
            *created = false;
        }
        key = slot.get();
    }
    return key;
}

}  // namespace zv::sim
