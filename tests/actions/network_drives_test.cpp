#include "actions/network_drives.h"

#include "actions/drive_properties.h"
#include "support/sim_fixture.h"

namespace zv::test {
namespace {

const std::string kMachine = machineJson(R"(
  "drives": [{"letter": "C", "type": 3,
              "volume": {"label": "System", "file_system": "NTFS"},
              "space": {"total": 1000, "free_to_caller": 250}},
             {"letter": "N", "type": 4}, {"letter": "Z", "type": 4}],
  "network": {"connections": [{"letter": "N", "remote": "\\\\files\\public"},
                              {"letter": "Z", "remote": "\\\\old\\gone", "state": "unavailable"}],
              "remembered": [{"letter": "Y", "remote": "\\\\away\\home"}],
              "shares": {"\\\\files\\music": "ok"}})");

class NetworkDrivesTest : public SimFixture {};

TEST_F(NetworkDrivesTest, FreeLettersSkipDrivesAndRememberedConnections) {
    auto& m = load(kMachine);
    const auto letters = actions::freeDriveLetters(m);
    ASSERT_FALSE(letters.empty());
    EXPECT_EQ(letters.front(), 'X') << "Z is a drive, Y a remembered connection";
    EXPECT_EQ(letters.back(), 'D');
    EXPECT_EQ(std::count(letters.begin(), letters.end(), 'N'), 0);
    EXPECT_EQ(std::count(letters.begin(), letters.end(), 'C'), 0);
}

TEST_F(NetworkDrivesTest, NetworkLettersListLiveAndRememberedConnections) {
    auto& m = load(kMachine);
    const auto letters = actions::networkDriveLetters(m);
    ASSERT_EQ(letters.size(), 3u);
    EXPECT_EQ(letters[0].letter, 'N');
    EXPECT_EQ(letters[0].remoteName, "\\\\files\\public");
    EXPECT_FALSE(letters[0].unavailable);
    EXPECT_EQ(letters[1].letter, 'Y');
    EXPECT_TRUE(letters[1].unavailable);
    EXPECT_EQ(letters[2].letter, 'Z');
    EXPECT_TRUE(letters[2].unavailable);
}

TEST_F(NetworkDrivesTest, ConnectAndDisconnectReportTheSystemsMessage) {
    auto& m = load(kMachine);
    std::string message;
    EXPECT_EQ(actions::connectNetworkDrive(m, "\\\\files\\music", 'M', &message), NO_ERROR);
    const auto adds = callsNamed(m, "WNetAddConnection2A");
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_EQ(adds[0]->arguments[0], "\\\\files\\music");
    EXPECT_EQ(adds[0]->arguments[1], "M:");
    EXPECT_EQ(m.drives().GetDriveTypeA("M:\\"), DRIVE_REMOTE);

    EXPECT_NE(actions::connectNetworkDrive(m, "\\\\files\\secret", 'K', &message), NO_ERROR);
    EXPECT_FALSE(message.empty());
    EXPECT_NE(message.back(), '\n');

    EXPECT_EQ(actions::disconnectNetworkDrive(m, 'M', false, &message), NO_ERROR);
    EXPECT_EQ(m.drives().GetDriveTypeA("M:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(actions::tidyRemoteName("  \\\\a\\b \t"), "\\\\a\\b");
}

TEST_F(NetworkDrivesTest, PropertiesReadLabelTypeAndSpace) {
    auto& m = load(kMachine);
    const auto properties = actions::queryDriveProperties(m, 'C');
    EXPECT_EQ(properties.label, "System");
    EXPECT_EQ(properties.typeText, "Local Disk");
    EXPECT_EQ(properties.fileSystem, "NTFS");
    EXPECT_TRUE(properties.measured);
    EXPECT_EQ(properties.totalBytes, 1000u);
    EXPECT_EQ(properties.freeBytes, 250u);
    EXPECT_EQ(properties.usedBytes(), 750u);

    const auto gone = actions::queryDriveProperties(m, 'Q');
    EXPECT_FALSE(gone.measured);
    EXPECT_EQ(gone.label, "");
    EXPECT_EQ(m.currentErrorMode(), 0u);
}

}  // namespace
}  // namespace zv::test
