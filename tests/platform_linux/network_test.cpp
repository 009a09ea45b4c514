// Network letters: UNC names of mount sources, connected and remembered connections.
#include "fake_seam.h"
#include "platform/linux/unc_names.h"

#include <gtest/gtest.h>

namespace zv::lnx::test {
namespace {

using namespace zv::win;

TEST(Network, MountSourcesInUncForm) {
    EXPECT_EQ(uncNameForSource("//winbox/Public", "cifs"), "\\\\winbox\\Public");
    EXPECT_EQ(uncNameForSource("//nas/media/films/", "smb3"), "\\\\nas\\media\\films");
    EXPECT_EQ(uncNameForSource("fileserver:/export/data", "nfs4"), "\\\\fileserver\\export\\data");
    EXPECT_EQ(uncNameForSource("10.0.0.7:/", "nfs"), "\\\\10.0.0.7");
    EXPECT_EQ(uncNameForSource("user@buildhost:/srv/projects", "fuse.sshfs"), "\\\\buildhost\\srv\\projects");
    EXPECT_EQ(uncNameForSource("me@host:", "fuse.sshfs"), "\\\\host");
    EXPECT_EQ(uncNameForSource("[fd00::5]:/vol", "nfs4"), "\\\\fd00::5\\vol");
}

TEST(Network, ConnectedAndRememberedConnectionsOfAServer) {
    RecordedTree tree("server");
    RefusingSeam seam;
    auto p = makeLinuxPlatform(treeOptions(tree, &seam));
    auto& net = p->network();
    char remote[260];
    DWORD length = sizeof remote;
    EXPECT_EQ(net.WNetGetConnectionA("D:", remote, &length), NO_ERROR);
    EXPECT_STREQ(remote, "\\\\fileserver\\export\\data");
    length = sizeof remote;
    EXPECT_EQ(net.WNetGetConnectionA("E:", remote, &length), NO_ERROR);
    EXPECT_STREQ(remote, "\\\\10.0.0.7\\srv\\archive\\2023");
    length = sizeof remote;
    EXPECT_EQ(net.WNetGetConnectionA("F:", remote, &length), NO_ERROR);
    EXPECT_STREQ(remote, "\\\\winbox\\Public");
    EXPECT_EQ(p->drives().GetDriveTypeA("F:\\"), DRIVE_REMOTE);

    // fstab entries that are not mounted: remembered, unavailable, no logical drive.
    length = sizeof remote;
    EXPECT_EQ(net.WNetGetConnectionA("G:", remote, &length), ERROR_CONNECTION_UNAVAIL);
    EXPECT_STREQ(remote, "\\\\backup.example\\vol\\backup");
    length = sizeof remote;
    EXPECT_EQ(net.WNetGetConnectionA("H:", remote, &length), ERROR_CONNECTION_UNAVAIL);
    EXPECT_STREQ(remote, "\\\\nas\\media");
    EXPECT_EQ(p->drives().GetDriveTypeA("G:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_FALSE(p->drives().GetLogicalDrives() & (1u << ('G' - 'A')));

    length = sizeof remote;
    EXPECT_EQ(net.WNetGetConnectionA("C:", remote, &length), ERROR_NOT_CONNECTED);
    EXPECT_EQ(net.WNetGetConnectionA("Q:", remote, &length), ERROR_NOT_CONNECTED);
    EXPECT_EQ(net.WNetGetConnectionA("QQ", remote, &length), ERROR_BAD_DEVICE);
    length = 4;
    EXPECT_EQ(net.WNetGetConnectionA("D:", remote, &length), ERROR_MORE_DATA);
    EXPECT_EQ(length, 25u);  // the name and its NUL
    // No window to show dialogs from on the command line.
    EXPECT_EQ(net.WNetConnectionDialog(0, RESOURCETYPE_DISK), ERROR_NOT_SUPPORTED);
    // Network letters have no device.
    EXPECT_EQ(p->io().CreateFileA("\\\\.\\D:", 0, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
}

}  // namespace
}  // namespace zv::lnx::test
