#include "cli/json_output.h"

#include "common/utf.h"

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

}  // namespace zv::cli
