// The "registry" section: keys of HKEY_CURRENT_USER with typed values.
#include "platform/sim/sim_loader.h"

#include "platform/sim/sim_registry_tree.h"
#include "platform/sim/sim_text.h"

namespace zv::sim {

namespace {

struct TypeName {
    const char* name;
    DWORD type;
};
constexpr TypeName TypeNames[] = {
    {"REG_NONE", REG_NONE},         {"REG_SZ", REG_SZ},       {"REG_EXPAND_SZ", REG_EXPAND_SZ},
    {"REG_BINARY", REG_BINARY},     {"REG_DWORD", REG_DWORD}, {"REG_MULTI_SZ", REG_MULTI_SZ},
    {"REG_QWORD", REG_QWORD},
};

DWORD readType(const JsonReader& value) {
    const JsonReader type = value.child("type");
    if (type.json().is_string()) {
        const std::string name = type.json().get<std::string>();
        for (const auto& t : TypeNames)
            if (name == t.name) return t.type;
        if (!parseUnsigned(name)) type.fail("unknown registry type \"" + name + "\"");
    }
    return readDword(value, "type", 0);
}

std::vector<uint8_t> textBytes(const std::string& text) {
    std::vector<uint8_t> out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

std::vector<uint8_t> littleEndian(uint64_t value, size_t width) {
    std::vector<uint8_t> out(width);
    for (size_t i = 0; i < width; ++i) out[i] = uint8_t(value >> (8 * i));
    return out;
}

SimRegistryValue readValue(const std::string& name, const JsonReader& value) {
    SimRegistryValue out;
    out.name = name;
    const auto& j = value.json();
    if (j.is_number_unsigned() || (j.is_number_integer() && j.get<int64_t>() >= 0)) {
        if (j.get<uint64_t>() > 0xFFFFFFFFull) value.fail("a plain number is a REG_DWORD and must fit 32 bits");
        out.type = REG_DWORD;
        out.data = littleEndian(j.get<uint64_t>(), 4);
        return out;
    }
    if (j.is_string()) {
        out.type = REG_SZ;
        out.data = textBytes(j.get<std::string>());
        return out;
    }
    if (!j.is_object()) value.fail("expected a value: a number, a text or {\"type\", \"data\"}");
    value.allowOnly({"type", "data", "bytes"});
    out.type = readType(value);
    if (value.has("bytes")) {
        if (value.has("data")) value.fail("give either \"data\" or \"bytes\"");
        out.data = value.bytes("bytes");
        return out;
    }
    const JsonReader data = value.child("data");
    switch (out.type) {
    case REG_DWORD: {
        const uint64_t number = value.unsignedInteger("data");
        if (number > 0xFFFFFFFFull) data.fail("a REG_DWORD must fit 32 bits");
        out.data = littleEndian(number, 4);
        break;
    }
    case REG_QWORD: out.data = littleEndian(value.unsignedInteger("data"), 8); break;
    case REG_SZ:
    case REG_EXPAND_SZ: out.data = textBytes(value.string("data")); break;
    case REG_MULTI_SZ:
        for (const JsonReader& item : data.items()) {
            if (!item.json().is_string()) item.fail("expected a text");
            const auto bytes = textBytes(item.json().get<std::string>());
            out.data.insert(out.data.end(), bytes.begin(), bytes.end());
        }
        out.data.push_back(0);
        break;
    default: out.data = value.bytes("data"); break;
    }
    return out;
}

}  // namespace

void loadRegistry(SimCore& core, const JsonReader& registry) {
    if (!registry.json().is_object()) registry.fail("expected an object of key paths");
    for (const auto& item : registry.json().items()) {
        const JsonReader values = registry.child(item.key().c_str());
        if (!values.json().is_object()) values.fail("expected an object of values");
        SimRegistryKey* key = registryCreatePath(core.machine().registryRoot, item.key());
        if (!key) values.fail("not a key path");
        for (const auto& valueItem : values.json().items()) {
            SimRegistryValue value = readValue(valueItem.key(), values.child(valueItem.key().c_str()));
            key->values[upper(valueItem.key())] = std::move(value);
        }
    }
}

}  // namespace zv::sim
