// zorvane-cli: placeholder entry point until the command line lands.
#include "cli/cli_context.h"

#include <iostream>

int main() {
    std::cerr << "zorvane-cli: not available yet\n";
    return 2;
}
