// A line of one of Zorvane's own files that could not be used, as the parsers report it.
#pragma once

#include <cstddef>
#include <string>

namespace zv::lnx {

struct BadLine {
    size_t line = 0;  // from 1
    std::string reason;
};

}  // namespace zv::lnx
