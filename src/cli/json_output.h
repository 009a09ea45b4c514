// JSON written by the subcommands. Texts from devices, volumes and checkers may hold bytes
// that are no UTF-8; the output is valid UTF-8 all the same (ill-formed parts become U+FFFD).
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace zv::cli {

// `value` with every string (keys included) made valid UTF-8, indented by two blanks.
std::string jsonDump(const nlohmann::ordered_json& value);

}  // namespace zv::cli
