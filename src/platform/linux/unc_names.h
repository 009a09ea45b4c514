// Network names: mount sources in the UNC form Windows users know (\\server\share), and
// the remote names users type, in the forms the mount tools take.
#pragma once

#include <string>

namespace zv::lnx {

// "//server/share/dir" (cifs) -> "\\server\share\dir"; "server:/export/path" (nfs) ->
// "\\server\export\path"; "user@host:path" (sshfs) -> "\\host\path"; "[::1]:/x" -> "\\::1\x".
std::string uncNameForSource(const std::string& source, const std::string& fsType);

enum class RemoteKind { Unknown, Smb, Ssh, Nfs };

struct Remote {
    RemoteKind kind = RemoteKind::Unknown;
    std::string source;  // what the mount tool takes: "//host/share", "user@host:/path", "host:/export"
    std::string uri;     // what GIO takes: "smb://host/share", "sftp://user@host/path", "nfs://host/export"
    std::string port;    // SSH port, "" for the default
};

// A typed remote ("\\server\share", "smb://server/share", "sftp://host:port/path",
// "user@host:/path", "host:/export", "nfs://host/export"); kind Unknown when it is none.
Remote parseRemote(const std::string& typed);

}  // namespace zv::lnx
