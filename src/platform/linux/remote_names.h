// Network names as a user types them (\\server\share, smb://, sftp://, user@host:/path,
// host:/export), taken apart into what each mount tool is given, and checked so that nothing
// a user typed reaches a tool as one of its options.
#pragma once

#include <string>

namespace zv::lnx {

enum class RemoteKind { Unknown, Smb, Ssh, Nfs };

struct Remote {
    RemoteKind kind = RemoteKind::Unknown;
    std::string host;    // server name or address, without user and port
    std::string user;    // SSH user before "@", "" when none
    std::string path;    // path on the server, without its leading "/"
    std::string source;  // what the mount tool takes: "//host/share", "user@host:/path", "host:/export"
    std::string uri;     // what GIO takes: "smb://host/share", "sftp://user@host/path", "nfs://host/export"
    std::string port;    // SSH port, "" for the default
};

Remote parseRemote(const std::string& typed);

// Why `remote` (and the CIFS `userName`, "" when none) cannot be given to a mount tool, as a
// message the user can act on; "" when it can. Refused: control characters anywhere; a
// server, user or port that starts with "-" (a tool would read it as an option); a port that
// is not a number; and the characters mount.cifs reads as option separators ("," in the
// share or the user name, "=" in the user name).
std::string remoteRefusal(const Remote& remote, const std::string& typed, const std::string& userName);

}  // namespace zv::lnx
