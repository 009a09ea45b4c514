// A checked view of one value of the machine file. Every accessor names the place of the
// value in its error (a JSON pointer), and refuses wrong types.
#pragma once

#include "platform/sim/machine_file_error.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace zv::sim {

class JsonReader {
public:
    JsonReader(const nlohmann::json& value, std::string pointer, std::string file);

    const nlohmann::json& json() const { return *m_value; }
    const std::string& pointer() const { return m_pointer; }
    const std::string& file() const { return m_file; }

    [[noreturn]] void fail(const std::string& what) const;

    // This value must be an object whose keys are all in `allowed`.
    void allowOnly(const std::vector<std::string>& allowed) const;
    bool has(const char* key) const;

    JsonReader child(const char* key) const;           // required
    std::vector<JsonReader> items(const char* key) const;  // required array
    std::vector<JsonReader> items() const;              // this value as an array

    std::string string(const char* key) const;
    std::string string(const char* key, const std::string& fallback) const;
    bool boolean(const char* key, bool fallback) const;
    int64_t integer(const char* key) const;
    int64_t integer(const char* key, int64_t fallback) const;
    uint64_t unsignedInteger(const char* key) const;
    uint64_t unsignedInteger(const char* key, uint64_t fallback) const;
    double number(const char* key, double fallback) const;
    // Integers may also be written as text: "0x1A2B3C4D" or "1234".
    // Bytes: hex text with optional spaces ("12 00 00 00 64 00"), or an array of numbers.
    std::vector<uint8_t> bytes(const char* key) const;

private:
    const nlohmann::json* m_value;
    std::string m_pointer;
    std::string m_file;
};

}  // namespace zv::sim
