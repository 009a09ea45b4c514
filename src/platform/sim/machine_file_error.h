// A machine file that cannot be used: names the file, the place in it and what is wrong.
#pragma once

#include <stdexcept>
#include <string>

namespace zv::sim {

class MachineFileError : public std::runtime_error {
public:
    // place: "line 12, column 5" or a JSON pointer such as "/drives/3/volume/serial".
    MachineFileError(const std::string& file, const std::string& place, const std::string& what)
        : std::runtime_error(file + ": " + place + ": " + what), m_file(file), m_place(place), m_what(what) {}
    const std::string& file() const { return m_file; }
    const std::string& place() const { return m_place; }
    const std::string& problem() const { return m_what; }

private:
    std::string m_file, m_place, m_what;
};

}  // namespace zv::sim
