// JSON written by the subcommands. Texts from devices, volumes and checkers may hold bytes
// that are no UTF-8; the output is valid UTF-8 all the same (ill-formed parts become U+FFFD).
//
// Every answer is one object whose first member is "json_format_version": [major, minor].
// Keys are snake_case: a displayed text stands under the snake_case form of its caption,
// its machine value (integer, number, boolean or null, never locale-formatted) beside it
// under the same key with "_bytes" (byte counts) or "_value" (anything else) appended.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace zv::cli {

// Raised when a key is removed or changes its meaning (major) or keys are added (minor).
inline constexpr int kJsonFormatMajor = 1;
inline constexpr int kJsonFormatMinor = 0;

// `value` with every string (keys included) made valid UTF-8, indented by two blanks.
std::string jsonDump(const nlohmann::ordered_json& value);

// {"json_format_version": [1, 0]}: the start of every answer.
nlohmann::ordered_json jsonAnswer();

// {"code": code, "message": message}: the "error" member of an answer.
nlohmann::ordered_json jsonError(const std::string& code, const std::string& message);

// Writes the answer and a line break.
void writeJson(std::ostream& out, const nlohmann::ordered_json& answer);

// "Local Drive" -> "local_drive", "% Free" -> "percent_free", "No. of Partitions" ->
// "no_of_partitions": lower-case letters and digits, every other run of characters one "_".
std::string snakeCase(const std::string& caption);

// The integer a window shows as plain or digit-grouped decimal text ("12,884,901,888" with
// `thousands` ","); nullopt for an empty text or anything else.
std::optional<int64_t> integerOfText(const std::string& text, const std::string& thousands = {});

// An optional value as JSON: the value, or null.
template <typename T>
nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace zv::cli
