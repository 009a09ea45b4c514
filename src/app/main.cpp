// zorvane: placeholder entry point until the main window lands.
#include <iostream>

int main() {
    std::cerr << "zorvane: the window is not available yet; use zorvane-cli list\n";
    return 2;
}
