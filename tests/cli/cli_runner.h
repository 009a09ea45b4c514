// Runs zorvane-cli in this process and keeps what it wrote (tests of the cli folder).
#pragma once

#include "cli/cli_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zv::cli::cli_test {

struct Answer {
    int status = -1;
    std::string out;
    std::string err;
};

inline Answer runCliCommand(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Answer answer;
    answer.status = runCli(args, out, err);
    answer.out = out.str();
    answer.err = err.str();
    return answer;
}

inline std::string exampleMachine(const std::string& name) {
    return std::string(ZV_SOURCE_DIR) + "/examples/machines/" + name;
}

inline std::vector<std::string> exampleMachineNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(ZV_SOURCE_DIR) + "/examples/machines"))
        if (entry.path().extension() == ".json") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::string writeTempFile(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / name;
    std::ofstream(path) << text;
    return path.string();
}

}  // namespace zv::cli::cli_test
