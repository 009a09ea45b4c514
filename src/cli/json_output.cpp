#include "cli/json_output.h"

#include "common/utf.h"

#include <cctype>
#include <charconv>

namespace zv::cli {

namespace {

using nlohmann::ordered_json;

ordered_json withValidStrings(const ordered_json& value) {
    if (value.is_string()) return validUtf8(value.get_ref<const std::string&>());
    if (value.is_array()) {
        ordered_json out = ordered_json::array();
        for (const ordered_json& item : value) out.push_back(withValidStrings(item));
        return out;
    }
    if (value.is_object()) {
        ordered_json out = ordered_json::object();
        for (const auto& [key, item] : value.items()) out[validUtf8(key)] = withValidStrings(item);
        return out;
    }
    return value;
}

}  // namespace

std::string jsonDump(const ordered_json& value) {
    // The library's own replacement is kept as a second guard; it never finds anything.
    return withValidStrings(value).dump(2, ' ', false, ordered_json::error_handler_t::replace);
}

ordered_json jsonAnswer() {
    ordered_json answer = ordered_json::object();
    answer["json_format_version"] = {kJsonFormatMajor, kJsonFormatMinor};
    return answer;
}

ordered_json jsonError(const std::string& code, const std::string& message) {
    ordered_json error = ordered_json::object();
    error["code"] = code;
    error["message"] = message;
    return error;
}

void writeJson(std::ostream& out, const ordered_json& answer) { out << jsonDump(answer) << "\n"; }

std::string snakeCase(const std::string& caption) {
    std::string key;
    bool pendingSeparator = false;
    for (const char raw : caption) {
        const unsigned char c = static_cast<unsigned char>(raw);
        std::string word;
        if (c < 0x80 && std::isalnum(c)) word = std::string(1, static_cast<char>(std::tolower(c)));
        else if (c == '%') word = "percent";
        if (word.empty()) {
            pendingSeparator = !key.empty();
            continue;
        }
        if (pendingSeparator || (word.size() > 1 && !key.empty())) key += '_';
        key += word;
        pendingSeparator = word.size() > 1;
    }
    return key;
}

std::optional<int64_t> integerOfText(const std::string& text, const std::string& thousands) {
    std::string digits;
    for (size_t at = 0; at < text.size();) {
        if (!thousands.empty() && text.compare(at, thousands.size(), thousands) == 0) {
            at += thousands.size();
            continue;
        }
        digits += text[at++];
    }
    if (digits.empty() || digits == "-") return std::nullopt;
    for (size_t at = digits[0] == '-' ? 1 : 0; at < digits.size(); ++at)
        if (!std::isdigit(static_cast<unsigned char>(digits[at]))) return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace zv::cli
