// Network names: mount sources (cifs, nfs, sshfs, IPv6 hosts) shown in UNC form, and the
// remote names a user types for a new connection, parsed into what the mount tools take.
#include "platform/linux/unc_names.h"
#include "support/check.h"

using namespace zv;

namespace {

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    for (const char* fsType : {"cifs", "nfs4", "fuse.sshfs", ""}) {
        const std::string unc = lnx::uncNameForSource(text, fsType);
        FUZZ_CHECK(startsWith(unc, "\\\\"));
    }

    const lnx::Remote remote = lnx::parseRemote(text);
    switch (remote.kind) {
    case lnx::RemoteKind::Unknown: FUZZ_CHECK(remote.source.empty() && remote.uri.empty()); return 0;
    case lnx::RemoteKind::Smb: FUZZ_CHECK(startsWith(remote.source, "//") && startsWith(remote.uri, "smb://")); break;
    case lnx::RemoteKind::Ssh: FUZZ_CHECK(startsWith(remote.uri, "sftp://")); break;
    case lnx::RemoteKind::Nfs: FUZZ_CHECK(startsWith(remote.uri, "nfs://")); break;
    }
    FUZZ_CHECK(!remote.source.empty());
    FUZZ_CHECK(remote.port.empty() || remote.kind == lnx::RemoteKind::Ssh);

    // The address GIO is given names the same remote again.
    const lnx::Remote again = lnx::parseRemote(remote.uri);
    FUZZ_CHECK(again.kind == remote.kind);
    if (remote.kind == lnx::RemoteKind::Smb) FUZZ_CHECK(again.source == remote.source && again.uri == remote.uri);
    return 0;
}
