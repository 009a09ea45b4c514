// The registry store's text.
#include "platform/linux/registry_text.h"

#include "platform/linux/line_escape.h"
#include "platform/linux/sysfs.h"

#include <cstdio>
#include <optional>

namespace zv::lnx {

namespace {

const char* const kHeader = "Zorvane registry 1";

// A value name inside quotes: the quote escaped as \", the rest as line_escape.h does it.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '"') out += "\\\"";
        else out += escapedField(std::string_view(&c, 1));
    }
    return out;
}

std::string hexBytes(const std::vector<uint8_t>& data) {
    static const char* const digits = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i) out.push_back(',');
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A quoted name at the start of `line`; the position after the closing quote in *end.
// nullopt for an unterminated name, a raw control character or an unknown escape.
std::optional<std::string> quoted(std::string_view line, size_t* end) {
    if (line.empty() || line[0] != '"') return std::nullopt;
    std::string field;  // the name still escaped, \" already taken
    for (size_t i = 1; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"') {
            *end = i + 1;
            return unescapedField(field);
        }
        if (c == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
            field.push_back('"');
            ++i;
            continue;
        }
        field.push_back(c);
        if (c == '\\' && i + 1 < line.size()) field.push_back(line[++i]);
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> parseHex(std::string_view text) {
    std::vector<uint8_t> data;
    size_t pos = 0;
    while (pos < text.size()) {
        if (pos + 2 > text.size()) return std::nullopt;
        int high = hexDigit(text[pos]), low = hexDigit(text[pos + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        data.push_back(uint8_t(high * 16 + low));
        pos += 2;
        if (pos < text.size()) {
            if (text[pos] != ',' || pos + 1 == text.size()) return std::nullopt;
            ++pos;
        }
    }
    return data;
}

// A decimal type number that fits 32 bits.
std::optional<uint32_t> parseType(std::string_view text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + uint64_t(c - '0');
    }
    if (value > 0xffffffffu) return std::nullopt;
    return uint32_t(value);
}

// The data after "=": "dword:xxxxxxxx" or "hex(type):bb,bb,...".
std::optional<RegistryValue> parseValueData(std::string_view rest) {
    RegistryValue value;
    if (rest.substr(0, 6) == "dword:") {
        std::string_view digits = rest.substr(6);
        if (digits.size() != 8) return std::nullopt;
        uint32_t v = 0;
        for (char c : digits) {
            int digit = hexDigit(c);
            if (digit < 0) return std::nullopt;
            v = v * 16 + uint32_t(digit);
        }
        value.type = 4;
        value.data = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return value;
    }
    if (rest.substr(0, 4) != "hex(") return std::nullopt;
    size_t close = rest.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    std::optional<uint32_t> type = parseType(rest.substr(4, close - 4));
    std::optional<std::vector<uint8_t>> data = parseHex(rest.substr(close + 2));
    if (!type || !data) return std::nullopt;
    value.type = *type;
    value.data = std::move(*data);
    return value;
}

}  // namespace

std::string normalizedKeyPath(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out.push_back(c);
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

bool storableKeyPath(const std::string& path) { return !hasControlCharacter(path); }

std::string registryText(const RegistryTree& tree) {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [lower, key] : tree) {
        text += "\n[" + key.name + "]\n";
        for (const auto& [lowerName, entry] : key.values) {
            const RegistryValue& value = entry.second;
            text += "\"" + escaped(entry.first) + "\"=";
            if (value.type == 4 && value.data.size() == 4) {
                char digits[16];
                std::snprintf(digits, sizeof digits, "dword:%08x",
                              unsigned(value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                       (uint32_t(value.data[3]) << 24)));
                text += digits;
            } else {
                text += "hex(" + std::to_string(value.type) + "):" + hexBytes(value.data);
            }
            text += "\n";
        }
    }
    return text;
}

ParsedRegistryStore parseRegistryStore(std::string_view text) {
    ParsedRegistryStore parsed;
    RegistryKeyData* current = nullptr;
    size_t pos = 0, number = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (number == 1) {
            if (line == kHeader) continue;
            parsed.badLines.push_back({1, "not a Zorvane registry store (the first line is not \"" +
                                              std::string(kHeader) + "\")"});
            return parsed;
        }
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            current = nullptr;
            if (line.back() != ']' || line.size() < 2) {
                parsed.badLines.push_back({number, "unterminated key name; its values are ignored too"});
                continue;
            }
            std::string name = normalizedKeyPath(std::string(line.substr(1, line.size() - 2)));
            if (!storableKeyPath(name)) {
                parsed.badLines.push_back({number, "the key name holds a control character; its values are ignored too"});
                continue;
            }
            RegistryKeyData& key = parsed.tree[lowerCase(name)];
            key.name = name;
            current = &key;
            continue;
        }
        size_t after = 0;
        std::optional<std::string> name = quoted(line, &after);
        if (!name || after >= line.size() || line[after] != '=') {
            parsed.badLines.push_back({number, "not a value line (\"name\"=data)"});
            continue;
        }
        if (!current) {
            parsed.badLines.push_back({number, "a value outside a usable key"});
            continue;
        }
        std::optional<RegistryValue> value = parseValueData(line.substr(after + 1));
        if (!value) {
            parsed.badLines.push_back({number, "bad value data (dword:8 hex digits, or hex(type):bytes with a 32-bit type)"});
            continue;
        }
        current->values[lowerCase(*name)] = {*name, std::move(*value)};
    }
    return parsed;
}

}  // namespace zv::lnx
