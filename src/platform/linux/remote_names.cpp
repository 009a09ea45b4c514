// Network names taken apart and checked.
#include "platform/linux/remote_names.h"

#include "platform/linux/sysfs.h"

#include <algorithm>
#include <cctype>

namespace zv::lnx {

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// "host/share/sub" after a scheme: host and the rest (without its leading "/").
void splitHostPath(const std::string& rest, std::string* host, std::string* path) {
    const size_t slash = rest.find('/');
    *host = rest.substr(0, slash);
    *path = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
}

// "user@host" -> user and host.
void splitUser(const std::string& both, std::string* user, std::string* host) {
    const size_t at = both.rfind('@');
    *user = at == std::string::npos ? std::string() : both.substr(0, at);
    *host = at == std::string::npos ? both : both.substr(at + 1);
}

bool hasControlCharacter(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f;
    });
}

// Where the server part of "host:/path" ends: its first ":", or the one after "]" of an
// IPv6 address in brackets.
size_t hostEnd(const std::string& typed) {
    if (!startsWith(typed, "[")) return typed.find(':');
    const size_t close = typed.find("]:");
    return close == std::string::npos ? std::string::npos : close + 1;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

Remote parseRemote(const std::string& typed) {
    Remote remote;
    const std::string lower = lowerCase(typed);
    std::string host;
    std::string path;
    if (startsWith(typed, "\\\\") || (startsWith(typed, "//") && typed.size() > 2)) {
        std::string rest = typed.substr(2);
        std::replace(rest.begin(), rest.end(), '\\', '/');
        splitHostPath(rest, &host, &path);
        if (host.empty() || path.empty()) return remote;
        remote.kind = RemoteKind::Smb;
    } else if (startsWith(lower, "smb://") || startsWith(lower, "cifs://")) {
        splitHostPath(typed.substr(typed.find("://") + 3), &host, &path);
        if (host.empty() || path.empty()) return remote;
        remote.kind = RemoteKind::Smb;
    } else if (startsWith(lower, "sftp://") || startsWith(lower, "ssh://")) {
        splitHostPath(typed.substr(typed.find("://") + 3), &host, &path);
        if (host.empty()) return remote;
        if (const size_t colon = host.rfind(':'); colon != std::string::npos && host.find(']') == std::string::npos) {
            remote.port = host.substr(colon + 1);
            host = host.substr(0, colon);
        }
        remote.kind = RemoteKind::Ssh;
        remote.source = host + ":/" + path;
        remote.uri = "sftp://" + host + (remote.port.empty() ? "" : ":" + remote.port) + "/" + path;
        splitUser(host, &remote.user, &remote.host);
        remote.path = path;
        return remote;
    } else if (startsWith(lower, "nfs://")) {
        splitHostPath(typed.substr(6), &host, &path);
        if (host.empty()) return remote;
        remote.kind = RemoteKind::Nfs;
        remote.source = host + ":/" + path;
        remote.uri = "nfs://" + host + "/" + path;
        remote.host = host;
        remote.path = path;
        return remote;
    } else if (const size_t colon = hostEnd(typed); colon != std::string::npos && colon > 0 &&
                                                    typed.find("://") == std::string::npos) {
        // "user@host:/path" is SSH; "host:/export" is the NFS form.
        host = typed.substr(0, colon);
        path = typed.substr(colon + 1);
        if (startsWith(path, "/")) path.erase(0, 1);
        if (host.find('@') != std::string::npos) {
            remote.kind = RemoteKind::Ssh;
            remote.source = typed;
            remote.uri = "sftp://" + host + "/" + path;
            splitUser(host, &remote.user, &remote.host);
        } else {
            remote.kind = RemoteKind::Nfs;
            remote.source = typed;
            remote.uri = "nfs://" + host + "/" + path;
            remote.host = host;
        }
        remote.path = path;
        return remote;
    } else {
        return remote;
    }
    // SMB forms.
    remote.source = "//" + host + "/" + path;
    remote.uri = "smb://" + host + "/" + path;
    remote.host = host;
    remote.path = path;
    return remote;
}

std::string remoteRefusal(const Remote& remote, const std::string& typed, const std::string& userName) {
    if (hasControlCharacter(typed))
        return "The network name holds a control character (a line break or a tab, say). Type it on one line "
               "without them.";
    if (hasControlCharacter(userName))
        return "The user name holds a control character (a line break or a tab, say). Type it without them.";
    if (remote.host.empty() || startsWith(remote.host, "-"))
        return "The server name " + quoted(remote.host) + " in " + quoted(typed) +
               " is not valid: a server name cannot be empty or start with \"-\".";
    if (startsWith(remote.user, "-"))
        return "The user name " + quoted(remote.user) + " in " + quoted(typed) + " cannot start with \"-\".";
    if (!remote.port.empty() &&
        (!std::all_of(remote.port.begin(), remote.port.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
         remote.port.size() > 5 || std::stoul(remote.port) == 0 || std::stoul(remote.port) > 65535))
        return "The port " + quoted(remote.port) + " in " + quoted(typed) + " is not a number from 1 to 65535.";
    if (remote.host.find(',') != std::string::npos)
        return "The server name " + quoted(remote.host) + " holds \",\", which no server name has.";
    if (remote.kind == RemoteKind::Smb) {
        // mount.cifs passes the share and the user name to the kernel in one option list.
        if (remote.path.find(',') != std::string::npos)
            return "The share " + quoted(remote.path) +
                   " holds \",\", which mount.cifs reads as the start of another mount option; such a share cannot "
                   "be connected here.";
        if (startsWith(userName, "-"))
            return "The user name " + quoted(userName) + " cannot start with \"-\".";
        if (userName.find_first_of(",=") != std::string::npos)
            return "The user name " + quoted(userName) +
                   " holds \",\" or \"=\", which mount.cifs reads as the start of another mount option. Give the "
                   "user name alone (DOMAIN/user or user@domain).";
    }
    return {};
}

}  // namespace zv::lnx
