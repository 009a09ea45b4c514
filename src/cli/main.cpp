// zorvane-cli: the drive survey and the tool queries without a display.
#include "cli/cli_context.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = zv::cli::runCli(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
