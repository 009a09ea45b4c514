#include "platform/sim/sim_registry.h"

#include "platform/sim/sim_registry_tree.h"
#include "platform/sim/sim_text.h"

#include <cstring>

namespace zv::sim {

namespace {

bool isPredefined(HKEY key) { return key >= 0x80000000u && key <= 0x80000006u; }

}  // namespace

std::string renderKey(HKEY key) {
    switch (key) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    default: return renderHex(key);
    }
}

SimRegistry::Base SimRegistry::base(HKEY key) {
    Base out;
    if (key == HKEY_CURRENT_USER) {
        out.key = &m_core.machine().registryRoot;
        out.access = KEY_ALL_ACCESS;
        return out;
    }
    if (isPredefined(key)) {
        out.error = ERROR_FILE_NOT_FOUND;  // only HKEY_CURRENT_USER is modelled
        return out;
    }
    SimOpenKey* open = m_core.key(key);
    if (!open) {
        out.error = ERROR_INVALID_HANDLE;
        return out;
    }
    out.key = open->key;
    out.path = open->path;
    out.access = open->access;
    return out;
}

std::string SimRegistry::joinPath(const Base& from, const char* subKey) const {
    const std::string sub = subKey ? subKey : "";
    if (!sub.empty() && sub[0] == '\\') return sub.substr(1);
    if (from.path.empty()) return sub;
    if (sub.empty()) return from.path;
    return from.path + "\\" + sub;
}

LONG SimRegistry::RegCreateKeyExA(HKEY key, const char* subKey, DWORD options, DWORD desired, HKEY* result,
                                  DWORD* disposition) {
    CallRecord call(m_core, "RegCreateKeyExA",
                    {renderKey(key), renderText(subKey), std::to_string(options), renderHex(desired)});
    Base from = base(key);
    const std::string path = joinPath(from, subKey);
    if (auto error = m_core.fault({"RegCreateKeyExA", 0, path})) return call.code(LONG(*error));
    if (from.error == ERROR_FILE_NOT_FOUND) return call.code(LONG(ERROR_ACCESS_DENIED));
    if (from.error) return call.code(from.error);
    if (!result) return call.code(LONG(ERROR_INVALID_PARAMETER));
    SimRegistryKey* start = subKey && subKey[0] == '\\' ? &m_core.machine().registryRoot : from.key;
    bool created = false;
    SimRegistryKey* target = registryCreatePath(*start, subKey ? subKey : "", &created);
    if (!target) return call.code(LONG(ERROR_INVALID_PARAMETER));
    *result = m_core.addKey(SimOpenKey{target, path, desired});
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    call.note(std::string(created ? "created" : "opened") + " key " + renderHex(*result));
    return call.code(LONG(ERROR_SUCCESS));
}

LONG SimRegistry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, DWORD desired, HKEY* result) {
    CallRecord call(m_core, "RegOpenKeyExA", {renderKey(key), renderText(subKey), std::to_string(options), renderHex(desired)});
    Base from = base(key);
    const std::string path = joinPath(from, subKey);
    if (auto error = m_core.fault({"RegOpenKeyExA", 0, path})) return call.code(LONG(*error));
    if (from.error) return call.code(from.error);
    if (!result) return call.code(LONG(ERROR_INVALID_PARAMETER));
    SimRegistryKey* start = subKey && subKey[0] == '\\' ? &m_core.machine().registryRoot : from.key;
    SimRegistryKey* target = registryFind(*start, subKey ? subKey : "");
    if (!target) return call.code(LONG(ERROR_FILE_NOT_FOUND));
    *result = m_core.addKey(SimOpenKey{target, path, desired});
    call.note("key " + renderHex(*result));
    return call.code(LONG(ERROR_SUCCESS));
}

LONG SimRegistry::RegQueryValueExA(HKEY key, const char* valueName, DWORD* type, BYTE* data, DWORD* dataSize) {
    CallRecord call(m_core, "RegQueryValueExA",
                    {renderKey(key), renderText(valueName), renderPointer(type), renderPointer(data),
                     dataSize ? std::to_string(*dataSize) : "(null)"});
    Base from = base(key);
    if (auto error = m_core.fault({"RegQueryValueExA", 0, from.path})) return call.code(LONG(*error));
    if (from.error) return call.code(from.error);
    if (!(from.access & KEY_QUERY_VALUE)) return call.code(LONG(ERROR_ACCESS_DENIED));
    if (data && !dataSize) return call.code(LONG(ERROR_INVALID_PARAMETER));
    auto found = from.key->values.find(upper(valueName ? valueName : ""));
    if (found == from.key->values.end()) return call.code(LONG(ERROR_FILE_NOT_FOUND));
    const SimRegistryValue& value = found->second;
    if (type) *type = value.type;
    const DWORD size = DWORD(value.data.size());
    call.note("type " + std::to_string(value.type) + ", " + std::to_string(size) + " bytes");
    if (data) {
        if (*dataSize < size) {
            *dataSize = size;
            return call.code(LONG(ERROR_MORE_DATA));
        }
        if (size) std::memcpy(data, value.data.data(), size);
    }
    if (dataSize) *dataSize = size;
    return call.code(LONG(ERROR_SUCCESS));
}

LONG SimRegistry::RegSetValueExA(HKEY key, const char* valueName, DWORD type, const BYTE* data, DWORD dataSize) {
    CallRecord call(m_core, "RegSetValueExA",
                    {renderKey(key), renderText(valueName), std::to_string(type), renderPointer(data), std::to_string(dataSize)});
    if (data) call.input(data, dataSize);
    Base from = base(key);
    if (auto error = m_core.fault({"RegSetValueExA", 0, from.path})) return call.code(LONG(*error));
    if (from.error) return call.code(from.error);
    if (!(from.access & KEY_SET_VALUE)) return call.code(LONG(ERROR_ACCESS_DENIED));
    if (!data && dataSize) return call.code(LONG(ERROR_NOACCESS));
    SimRegistryValue value;
    value.name = valueName ? valueName : "";
    value.type = type;
    if (data) value.data.assign(data, data + dataSize);
    from.key->values[upper(value.name)] = std::move(value);
    return call.code(LONG(ERROR_SUCCESS));
}

LONG SimRegistry::RegCloseKey(HKEY key) {
    CallRecord call(m_core, "RegCloseKey", {renderKey(key)});
    if (auto error = m_core.fault({"RegCloseKey"})) return call.code(LONG(*error));
    if (isPredefined(key)) return call.code(LONG(ERROR_SUCCESS));
    if (!m_core.closeKey(key)) return call.code(LONG(ERROR_INVALID_HANDLE));
    return call.code(LONG(ERROR_SUCCESS));
}

}  // namespace zv::sim
