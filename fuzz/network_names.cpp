// Network names: mount sources (cifs, nfs, sshfs, IPv6 hosts) shown in UNC form, and the
// remote names a user types for a new connection, taken apart into what the mount tools
// are given. A remote the checks accept names a server, reaches no tool as an option, and
// the address GIO is given names the same remote again. The input is the typed name; after
// its first zero byte, the user name.
#include "platform/linux/unc_names.h"
#include "support/check.h"

#if __has_include("platform/linux/remote_names.h")
#include "platform/linux/remote_names.h"
#endif

using namespace zv;

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

#if __has_include("platform/linux/remote_names.h")
void checkTypedName(const std::string& typed, const std::string& userName) {
    const lnx::Remote remote = lnx::parseRemote(typed);
    if (remote.kind == lnx::RemoteKind::Unknown) {
        FUZZ_CHECK(remote.source.empty() && remote.uri.empty());
        return;
    }
    if (!lnx::remoteRefusal(remote, typed, userName).empty()) return;
    switch (remote.kind) {
    case lnx::RemoteKind::Smb: FUZZ_CHECK(startsWith(remote.source, "//") && startsWith(remote.uri, "smb://")); break;
    case lnx::RemoteKind::Ssh: FUZZ_CHECK(startsWith(remote.uri, "sftp://")); break;
    case lnx::RemoteKind::Nfs: FUZZ_CHECK(startsWith(remote.uri, "nfs://")); break;
    case lnx::RemoteKind::Unknown: break;
    }
    FUZZ_CHECK(!remote.host.empty() && !startsWith(remote.host, "-") && !startsWith(remote.user, "-"));
    FUZZ_CHECK(!remote.source.empty() && !startsWith(remote.source, "-") && !startsWith(remote.port, "-"));
    FUZZ_CHECK(remote.port.empty() || remote.kind == lnx::RemoteKind::Ssh);

    const lnx::Remote again = lnx::parseRemote(remote.uri);
    FUZZ_CHECK(again.kind == remote.kind && again.host == remote.host);
    if (remote.kind == lnx::RemoteKind::Smb) FUZZ_CHECK(again.source == remote.source && again.uri == remote.uri);
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const std::string text = input.substr(0, zero);
    const std::string userName = zero == std::string::npos ? std::string() : input.substr(zero + 1);

    for (const char* fsType : {"cifs", "nfs4", "fuse.sshfs", ""}) {
        const std::string unc = lnx::uncNameForSource(text, fsType);
        FUZZ_CHECK(startsWith(unc, "\\\\"));
    }
#if __has_include("platform/linux/remote_names.h")
    checkTypedName(text, userName);
#endif
    return 0;
}
