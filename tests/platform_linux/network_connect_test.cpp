// Network names on their way to the mount tools: the tools are stand-ins on PATH that log
// each argument on a line of its own, so that an option smuggled in a name would show.
#include "fake_seam.h"
#include "platform/linux/remote_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace zv::lnx::test {
namespace {

using namespace zv::win;
namespace fs = std::filesystem;

class NetworkConnect : public testing::Test {
protected:
    void SetUp() override {
        m_bin = m_folder.path() + "/bin";
        m_log = m_folder.path() + "/log";
        fs::create_directories(m_bin);
        const char* path = std::getenv("PATH");
        m_oldPath = path ? path : "";
        ::setenv("PATH", m_bin.c_str(), 1);
        for (const char* tool : {"sshfs", "mount.cifs", "mount.nfs", "gio"}) {
            const std::string file = m_bin + "/" + tool;
            std::ofstream(file) << "#!/bin/sh\n{ echo '" << tool << "'; for a in \"$@\"; do echo \"[$a]\"; done; } >> '"
                                << m_log << "'\n";
            fs::permissions(file, fs::perms::owner_all);
        }
        m_platform = makeLinuxPlatform(treeOptions(m_tree, &m_seam));
    }
    void TearDown() override { ::setenv("PATH", m_oldPath.c_str(), 1); }

    DWORD connect(const std::string& remote, const char* user = nullptr) {
        return m_platform->network().WNetAddConnection2A(remote.c_str(), "Y:", user, 0);
    }
    std::string message() { return m_platform->network().LastConnectionMessage(); }
    std::string log() {
        std::ifstream in(m_log);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    RecordedTree m_tree{"laptop"};
    RefusingSeam m_seam;
    TempFolder m_folder;
    std::string m_bin, m_log, m_oldPath;
    std::unique_ptr<platform::Platform> m_platform;
};

TEST_F(NetworkConnect, NamesThatAToolWouldReadAsOptionsAreRefusedBeforeAnyToolRuns) {
    struct Case {
        std::string remote;
        const char* user;
        std::string named;  // what the message must name
    };
    const Case cases[] = {
        {"-oProxyCommand=touch /tmp/x:/srv", nullptr, "-oProxyCommand"},  // NFS form
        {"sftp://-oProxyCommand=id/home", nullptr, "-oProxyCommand"},
        {"-oProxyCommand=id@host:/p", nullptr, "-oProxyCommand"},
        {"sftp://me@host:22 -x/p", nullptr, "port"},
        {"ssh://me@host:-1/p", nullptr, "port"},
        {"\\\\-server\\share", nullptr, "-server"},
        {"\\\\server\\share", "bob,uid=0,file_mode=0777", "bob,uid=0"},
        {"\\\\server\\share", "-obob", "-obob"},
        {"\\\\server\\share", "user=root", "user=root"},
        {"\\\\server\\sh,are", nullptr, "sh,are"},
        {"\\\\server\\share\nsubst U: /etc", nullptr, "control character"},
        {"user@host:/path\twith tab", nullptr, "control character"},
        {"\\\\server\\share", "bob\nroot", "control character"},
        {"nfs://host,port=1/export", nullptr, "host,port=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.remote + " / " + (c.user ? c.user : "(no user)"));
        EXPECT_EQ(connect(c.remote, c.user), ERROR_BAD_NET_NAME);
        EXPECT_NE(message().find(c.named), std::string::npos) << message();
    }
    EXPECT_EQ(log(), "") << "a mount tool was started";
}

TEST_F(NetworkConnect, RemotesReachTheToolsAfterTheEndOfTheirOptions) {
    ASSERT_EQ(connect("sftp://me@host:2222/srv/data"), NO_ERROR) << message();
    ASSERT_EQ(connect("user@buildhost:/srv/projects"), NO_ERROR) << message();
    const std::string folder = m_tree.runtimeDir() + "/network/Y";
    const std::string expected = "sshfs\n[-o]\n[reconnect,ServerAliveInterval=15]\n[-p]\n[2222]\n[--]\n[me@host:/srv/data]\n[" +
                                 folder + "]\nsshfs\n[-o]\n[reconnect,ServerAliveInterval=15]\n[--]\n"
                                 "[user@buildhost:/srv/projects]\n[" + folder + "]\n";
    EXPECT_EQ(log(), expected);

    fs::remove(m_log);
    ASSERT_EQ(connect("\\\\server\\share", "DOMAIN/bob"), NO_ERROR) << message();
    if (::geteuid() == 0)
        EXPECT_EQ(log(), "mount.cifs\n[//server/share]\n[" + folder + "]\n[-o]\n[user=DOMAIN/bob]\n");
    else  // the desktop's GIO mount; no gvfs folder appears, so the letter cannot be given
        EXPECT_EQ(log(), "gio\n[mount]\n[--]\n[smb://server/share]\n");
}

TEST(RemoteNames, PartsOfTheNamesUsersType) {
    const Remote ssh = parseRemote("sftp://me@host:2222/srv/data");
    EXPECT_EQ(ssh.kind, RemoteKind::Ssh);
    EXPECT_EQ(ssh.user, "me");
    EXPECT_EQ(ssh.host, "host");
    EXPECT_EQ(ssh.port, "2222");
    EXPECT_EQ(ssh.source, "me@host:/srv/data");
    const Remote smb = parseRemote("\\\\winbox\\Public\\films");
    EXPECT_EQ(smb.kind, RemoteKind::Smb);
    EXPECT_EQ(smb.host, "winbox");
    EXPECT_EQ(smb.path, "Public/films");
    EXPECT_EQ(smb.source, "//winbox/Public/films");
    const Remote nfs = parseRemote("[fd00::5]:/vol");
    EXPECT_EQ(nfs.kind, RemoteKind::Nfs);
    EXPECT_EQ(nfs.host, "[fd00::5]");
    EXPECT_EQ(remoteRefusal(nfs, "[fd00::5]:/vol", ""), "");
    EXPECT_EQ(remoteRefusal(smb, "\\\\winbox\\Public\\films", "bob%secret"), "");
    EXPECT_EQ(parseRemote("plainword").kind, RemoteKind::Unknown);
}

}  // namespace
}  // namespace zv::lnx::test
