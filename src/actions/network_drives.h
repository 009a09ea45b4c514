// What the network drive dialogs offer and carry out: the letters a new connection can take,
// the letters that carry a connection, and the connect and disconnect requests.
#pragma once

#include "platform/api/platform.h"

#include <string>
#include <vector>

namespace zv::actions {

struct NetworkLetter {
    char letter = 'Z';
    std::string remoteName;  // "" when the system names none
    bool unavailable = false;
};

// Letters D to Z that are no drive and carry no remembered connection, from Z downwards.
std::vector<char> freeDriveLetters(platform::Platform& platform);

// Letters that carry a network connection (live or remembered), in letter order.
std::vector<NetworkLetter> networkDriveLetters(platform::Platform& platform);

// The remote as typed, tidied: surrounding blanks removed. "" when nothing usable was typed.
std::string tidyRemoteName(const std::string& typed);

// Connects `remote` to `letter`. NO_ERROR, or the error with the tool's own message (or the
// system's message for the code) in *message.
win::DWORD connectNetworkDrive(platform::Platform& platform, const std::string& remote, char letter,
                               std::string* message);
// Cancels the connection of `letter` (forced when `force`).
win::DWORD disconnectNetworkDrive(platform::Platform& platform, char letter, bool force, std::string* message);

}  // namespace zv::actions
