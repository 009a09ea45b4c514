// Network mount sources in the UNC form Windows users know (\\server\share).
#pragma once

#include <string>

namespace zv::lnx {

// "//server/share/dir" (cifs) -> "\\server\share\dir"; "server:/export/path" (nfs) ->
// "\\server\export\path"; "user@host:path" (sshfs) -> "\\host\path"; "[::1]:/x" -> "\\::1\x".
std::string uncNameForSource(const std::string& source, const std::string& fsType);

}  // namespace zv::lnx
