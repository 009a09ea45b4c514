// HKEY_CURRENT_USER on the per-user store. Calls return their error code, as on Windows.
#include "platform/linux/linux_concerns.h"
#include "platform/linux/registry_store.h"
#include "platform/linux/sysfs.h"

#include <cstring>
#include <map>

namespace zv::lnx {

namespace {

struct OpenKey {
    std::string path;  // normalized, as given
    DWORD access = 0;
};

class LinuxRegistry final : public platform::IRegistry {
public:
    explicit LinuxRegistry(LinuxContext& ctx)
        : m_store([&ctx](bool create) {
              std::string folder = ctx.configFolder(create);
              return folder.empty() ? std::string() : folder + "/registry";
          }) {}

    LONG RegCreateKeyExA(HKEY key, const char* subKey, DWORD, DWORD desired, HKEY* result, DWORD* disposition) override {
        std::string path;
        if (LONG error = fullPath(key, subKey, &path)) return error;
        if (!result) return LONG(ERROR_INVALID_PARAMETER);
        if (path.empty()) return LONG(ERROR_INVALID_PARAMETER);
        bool exists = m_store.tree().count(lowerCase(path)) > 0;
        if (!exists) {
            int error = m_store.update([&path](RegistryTree& tree) {
                // Parents exist with their children, as in the registry.
                for (size_t pos = 0; pos != std::string::npos;) {
                    pos = path.find('\\', pos + 1);
                    std::string part = pos == std::string::npos ? path : path.substr(0, pos);
                    RegistryKeyData& data = tree[lowerCase(part)];
                    if (data.name.empty()) data.name = part;
                }
            });
            if (error) return LONG(win32ErrorFromErrno(error));
        }
        if (disposition) *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
        *result = addKey(path, desired);
        return LONG(ERROR_SUCCESS);
    }

    LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD, DWORD desired, HKEY* result) override {
        std::string path;
        if (LONG error = fullPath(key, subKey, &path)) return error;
        if (!result) return LONG(ERROR_INVALID_PARAMETER);
        if (!path.empty() && !m_store.tree().count(lowerCase(path))) return LONG(ERROR_FILE_NOT_FOUND);
        *result = addKey(path, desired);
        return LONG(ERROR_SUCCESS);
    }

    LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data, DWORD* dataSize) override {
        const OpenKey* open = openKey(key);
        if (!open) return LONG(ERROR_INVALID_HANDLE);
        if (!(open->access & KEY_QUERY_VALUE)) return LONG(ERROR_ACCESS_DENIED);
        if (data && !dataSize) return LONG(ERROR_INVALID_PARAMETER);
        const RegistryTree& tree = m_store.tree();
        auto keyIt = tree.find(lowerCase(open->path));
        if (keyIt == tree.end()) return LONG(open->path.empty() ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED);
        auto valueIt = keyIt->second.values.find(lowerCase(valueName ? valueName : ""));
        if (valueIt == keyIt->second.values.end()) return LONG(ERROR_FILE_NOT_FOUND);
        const RegistryValue& value = valueIt->second.second;
        if (type) *type = value.type;
        DWORD needed = DWORD(value.data.size());
        if (!data) {
            if (dataSize) *dataSize = needed;
            return LONG(ERROR_SUCCESS);
        }
        if (*dataSize < needed) {
            *dataSize = needed;
            return LONG(ERROR_MORE_DATA);
        }
        if (needed) std::memcpy(data, value.data.data(), needed);
        *dataSize = needed;
        return LONG(ERROR_SUCCESS);
    }

    LONG RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data, DWORD dataSize) override {
        const OpenKey* open = openKey(key);
        if (!open) return LONG(ERROR_INVALID_HANDLE);
        if (!(open->access & KEY_SET_VALUE)) return LONG(ERROR_ACCESS_DENIED);
        if (!data && dataSize) return LONG(ERROR_NOACCESS);
        if (type == REG_DWORD && dataSize != 4) return LONG(ERROR_INVALID_PARAMETER);
        std::string path = open->path, name = valueName ? valueName : "";
        RegistryValue value;
        value.type = type;
        if (dataSize) value.data.assign(data, data + dataSize);
        bool missing = false;
        int error = m_store.update([&](RegistryTree& tree) {
            auto it = tree.find(lowerCase(path));
            if (it == tree.end()) {
                missing = true;
                return;
            }
            it->second.values[lowerCase(name)] = {name, value};
        });
        if (missing) return LONG(ERROR_KEY_DELETED);
        return error ? LONG(win32ErrorFromErrno(error)) : LONG(ERROR_SUCCESS);
    }

    LONG RegCloseKey(HKEY key) override {
        if (key == HKEY_CURRENT_USER) return LONG(ERROR_SUCCESS);
        return m_keys.erase(key) ? LONG(ERROR_SUCCESS) : LONG(ERROR_INVALID_HANDLE);
    }

private:
    LONG fullPath(HKEY key, const char* subKey, std::string* path) {
        std::string base;
        if (key == HKEY_CURRENT_USER) {
            base.clear();
        } else if (const OpenKey* open = openKey(key)) {
            base = open->path;
        } else if (key == HKEY_LOCAL_MACHINE || key == HKEY_CLASSES_ROOT) {
            return LONG(ERROR_ACCESS_DENIED);  // only the user's own hive lives here
        } else {
            return LONG(ERROR_INVALID_HANDLE);
        }
        *path = normalizedKeyPath(base + "\\" + (subKey ? subKey : ""));
        // A key's name ends its line in the store: a line break in it is refused.
        if (!storableKeyPath(*path)) return LONG(ERROR_INVALID_PARAMETER);
        return LONG(ERROR_SUCCESS);
    }

    const OpenKey* openKey(HKEY key) {
        if (key == HKEY_CURRENT_USER) {
            static const OpenKey root{"", KEY_ALL_ACCESS};
            return &root;
        }
        auto it = m_keys.find(key);
        return it == m_keys.end() ? nullptr : &it->second;
    }

    HKEY addKey(const std::string& path, DWORD access) {
        HKEY id = m_nextKey++;
        m_keys[id] = {path, access};
        return id;
    }

    RegistryStore m_store;
    std::map<HKEY, OpenKey> m_keys;
    HKEY m_nextKey = 0x1000;
};

}  // namespace

std::unique_ptr<platform::IRegistry> makeLinuxRegistry(LinuxContext& ctx) { return std::make_unique<LinuxRegistry>(ctx); }

}  // namespace zv::lnx
