#include "actions/network_drives.h"

#include "actions/selected_drive.h"

namespace zv::actions {

using namespace zv::win;

namespace {

// NO_ERROR and the remote, ERROR_CONNECTION_UNAVAIL for a remembered one, else the error.
DWORD connectionOf(platform::Platform& platform, char letter, std::string* remote) {
    char buffer[260] = {};
    DWORD length = sizeof buffer;
    const std::string name = driveName(letter);
    const DWORD status = platform.network().WNetGetConnectionA(name.c_str(), buffer, &length);
    if (status == NO_ERROR && remote) *remote = buffer;
    return status;
}

std::string failureText(platform::Platform& platform, DWORD status) {
    std::string message = platform.network().LastConnectionMessage();
    if (message.empty()) message = platform.system().FormatMessageA(status);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    if (message.empty()) message = "Error " + std::to_string(status);
    return message;
}

}  // namespace

std::vector<char> freeDriveLetters(platform::Platform& platform) {
    const DWORD mask = platform.drives().GetLogicalDrives();
    std::vector<char> letters;
    for (char letter = 'Z'; letter >= 'D'; --letter) {
        if (mask & (DWORD{1} << (letter - 'A'))) continue;
        if (connectionOf(platform, letter, nullptr) == ERROR_CONNECTION_UNAVAIL) continue;
        letters.push_back(letter);
    }
    return letters;
}

std::vector<NetworkLetter> networkDriveLetters(platform::Platform& platform) {
    const DWORD mask = platform.drives().GetLogicalDrives();
    std::vector<NetworkLetter> letters;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::string remote;
        const DWORD status = connectionOf(platform, letter, &remote);
        const bool present = mask & (DWORD{1} << (letter - 'A'));
        const std::string root = std::string(1, letter) + ":\\";
        if (status == NO_ERROR || status == ERROR_CONNECTION_UNAVAIL ||
            (present && platform.drives().GetDriveTypeA(root.c_str()) == DRIVE_REMOTE))
            letters.push_back({letter, remote, status == ERROR_CONNECTION_UNAVAIL});
    }
    return letters;
}

std::string tidyRemoteName(const std::string& typed) {
    size_t begin = 0;
    size_t end = typed.size();
    while (begin < end && (typed[begin] == ' ' || typed[begin] == '\t')) ++begin;
    while (end > begin && (typed[end - 1] == ' ' || typed[end - 1] == '\t')) --end;
    return typed.substr(begin, end - begin);
}

DWORD connectNetworkDrive(platform::Platform& platform, const std::string& remote, char letter, std::string* message) {
    const std::string local = driveName(letter);
    const DWORD status = platform.network().WNetAddConnection2A(remote.c_str(), local.c_str(), nullptr, 0);
    if (status != NO_ERROR && message) *message = failureText(platform, status);
    return status;
}

DWORD disconnectNetworkDrive(platform::Platform& platform, char letter, bool force, std::string* message) {
    const std::string local = driveName(letter);
    const DWORD status = platform.network().WNetCancelConnection2A(local.c_str(), 0, force ? TRUE : FALSE);
    if (status != NO_ERROR && message) *message = failureText(platform, status);
    return status;
}

}  // namespace zv::actions
