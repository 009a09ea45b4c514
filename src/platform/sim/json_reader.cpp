#include "platform/sim/json_reader.h"

#include "platform/sim/sim_text.h"

#include <algorithm>
#include <limits>

namespace zv::sim {

namespace {

// JSON pointer escaping (RFC 6901).
std::string escapeKey(const std::string& key) {
    std::string out;
    for (char c : key) {
        if (c == '~') out += "~0";
        else if (c == '/') out += "~1";
        else out.push_back(c);
    }
    return out;
}

const char* typeName(const nlohmann::json& value) {
    switch (value.type()) {
    case nlohmann::json::value_t::null: return "null";
    case nlohmann::json::value_t::boolean: return "a boolean";
    case nlohmann::json::value_t::string: return "a text";
    case nlohmann::json::value_t::array: return "an array";
    case nlohmann::json::value_t::object: return "an object";
    case nlohmann::json::value_t::number_float: return "a fractional number";
    default: return "a number";
    }
}

}  // namespace

JsonReader::JsonReader(const nlohmann::json& value, std::string pointer, std::string file)
    : m_value(&value), m_pointer(std::move(pointer)), m_file(std::move(file)) {}

void JsonReader::fail(const std::string& what) const {
    throw MachineFileError(m_file, m_pointer.empty() ? std::string("/") : m_pointer, what);
}

void JsonReader::allowOnly(const std::vector<std::string>& allowed) const {
    if (!m_value->is_object()) fail(std::string("expected an object, found ") + typeName(*m_value));
    for (const auto& item : m_value->items()) {
        if (std::find(allowed.begin(), allowed.end(), item.key()) == allowed.end()) {
            JsonReader(item.value(), m_pointer + "/" + escapeKey(item.key()), m_file)
                .fail("unknown key \"" + item.key() + "\"");
        }
    }
}

bool JsonReader::has(const char* key) const { return m_value->is_object() && m_value->contains(key); }

JsonReader JsonReader::child(const char* key) const {
    if (!m_value->is_object()) fail(std::string("expected an object, found ") + typeName(*m_value));
    auto found = m_value->find(key);
    if (found == m_value->end()) fail(std::string("missing key \"") + key + "\"");
    return JsonReader(*found, m_pointer + "/" + escapeKey(key), m_file);
}

std::vector<JsonReader> JsonReader::items(const char* key) const { return child(key).items(); }

std::vector<JsonReader> JsonReader::items() const {
    if (!m_value->is_array()) fail(std::string("expected an array, found ") + typeName(*m_value));
    std::vector<JsonReader> out;
    out.reserve(m_value->size());
    for (size_t i = 0; i < m_value->size(); ++i)
        out.emplace_back((*m_value)[i], m_pointer + "/" + std::to_string(i), m_file);
    return out;
}

std::string JsonReader::string(const char* key) const {
    const JsonReader value = child(key);
    if (!value.json().is_string()) value.fail(std::string("expected a text, found ") + typeName(value.json()));
    return value.json().get<std::string>();
}

std::string JsonReader::string(const char* key, const std::string& fallback) const {
    return has(key) ? string(key) : fallback;
}

bool JsonReader::boolean(const char* key, bool fallback) const {
    if (!has(key)) return fallback;
    const JsonReader value = child(key);
    if (!value.json().is_boolean()) value.fail(std::string("expected true or false, found ") + typeName(value.json()));
    return value.json().get<bool>();
}

int64_t JsonReader::integer(const char* key) const {
    const JsonReader value = child(key);
    const auto& j = value.json();
    if (j.is_number_integer()) {
        if (j.is_number_unsigned() && j.get<uint64_t>() > uint64_t(std::numeric_limits<int64_t>::max()))
            value.fail("number too large");
        return j.get<int64_t>();
    }
    if (j.is_string()) {
        std::string text = j.get<std::string>();
        const bool negative = !text.empty() && text[0] == '-';
        const auto parsed = parseUnsigned(negative ? text.substr(1) : text);
        if (!parsed || *parsed > uint64_t(std::numeric_limits<int64_t>::max()))
            value.fail("expected an integer, found the text \"" + text + "\"");
        return negative ? -int64_t(*parsed) : int64_t(*parsed);
    }
    value.fail(std::string("expected an integer, found ") + typeName(j));
}

int64_t JsonReader::integer(const char* key, int64_t fallback) const { return has(key) ? integer(key) : fallback; }

uint64_t JsonReader::unsignedInteger(const char* key) const {
    const JsonReader value = child(key);
    const auto& j = value.json();
    if (j.is_number_unsigned()) return j.get<uint64_t>();
    if (j.is_number_integer()) value.fail("expected a number of at least 0");
    if (j.is_string()) {
        const std::string text = j.get<std::string>();
        const auto parsed = parseUnsigned(text);
        if (!parsed) value.fail("expected an integer, found the text \"" + text + "\"");
        return *parsed;
    }
    value.fail(std::string("expected an integer, found ") + typeName(j));
}

uint64_t JsonReader::unsignedInteger(const char* key, uint64_t fallback) const {
    return has(key) ? unsignedInteger(key) : fallback;
}

double JsonReader::number(const char* key, double fallback) const {
    if (!has(key)) return fallback;
    const JsonReader value = child(key);
    if (!value.json().is_number()) value.fail(std::string("expected a number, found ") + typeName(value.json()));
    return value.json().get<double>();
}

std::vector<uint8_t> JsonReader::bytes(const char* key) const {
    const JsonReader value = child(key);
    const auto& j = value.json();
    if (j.is_string()) {
        const auto parsed = parseHexBytes(j.get<std::string>());
        if (!parsed) value.fail("expected hexadecimal bytes such as \"12 00 ff\"");
        return *parsed;
    }
    if (j.is_array()) {
        std::vector<uint8_t> out;
        for (size_t i = 0; i < j.size(); ++i) {
            if (!j[i].is_number_unsigned() || j[i].get<uint64_t>() > 255)
                JsonReader(j[i], value.pointer() + "/" + std::to_string(i), m_file).fail("expected a byte 0..255");
            out.push_back(uint8_t(j[i].get<uint64_t>()));
        }
        return out;
    }
    value.fail(std::string("expected bytes (hexadecimal text or an array), found ") + typeName(j));
}

}  // namespace zv::sim
