// The volume queries and the disk information window's fields on simulated machines.
#include "diskinfo/disk_info_view.h"
#include "diskinfo/drive_layout.h"
#include "diskinfo/ide_serial.h"
#include "diskinfo/physical_drive.h"
#include "diskinfo/volume_details.h"

#include "support/sim_fixture.h"

#include <gtest/gtest.h>

using namespace zv;
using namespace zv::diskinfo;
using zv::test::callsNamed;
using zv::test::describeCalls;
using zv::test::machineJson;

namespace {

class RecordedMessages final : public IMessages {
public:
    std::vector<std::string> texts;
    void showMessage(const std::string& text) override { texts.push_back(text); }
    DialogResult messageDialog(const std::string& text, DialogKind, DialogButtons) override {
        texts.push_back(text);
        return DialogResult::Ok;
    }
    void messageBox(const std::string& text, const std::string&, MessageIcon) override { texts.push_back(text); }
};

class DiskInfoScenario : public zv::test::SimFixture {
protected:
    RecordedMessages messages;
};

// An MBR disk with one primary partition and `logical` logical partitions.
std::string manyLogicals(int logical) {
    std::string parts;
    for (int i = 0; i < logical; ++i) {
        const long long start = (2LL + 2 * i) * 1048576 + 1048576;
        parts += std::string(i ? ", " : "") + R"({"type": "0x07", "start": )" + std::to_string(start) +
                 R"(, "length": 1048576})";
    }
    return machineJson(R"("drives": [{"letter": "C", "disk": {"number": 0, "partition": )" + std::to_string(logical + 1) +
                       R"(}}], "disks": [{"number": 0, "layout": {"partitions": [
          {"type": "0x0B", "start": 1048576, "length": 1048576},
          {"type": "0x05", "start": 2097152, "length": 1073741824, "logical": [)" + parts + "]}]}}]");
}

std::string zeros(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += " 00";
    return text;
}

}  // namespace

TEST_F(DiskInfoScenario, HealthyMachineFieldsForBothDrives) {
    auto& m = loadExample("disks-healthy");
    DiskInfoView view(m, messages);
    view.formShow();
    ASSERT_EQ(view.items(), (std::vector<std::string>{"C: [System]", "D: [Data]"}));
    const DiskInfoFields& c = view.fields();
    EXPECT_EQ(c.driveType, "Fixed - NTFS");
    EXPECT_EQ(c.capacity, "80,023,715,840 bytes");
    EXPECT_EQ(c.freeSpace, "31,457,280,000 bytes");
    EXPECT_EQ(c.bytesPerSector, "512");
    EXPECT_EQ(c.sectorsPerCluster, "8");
    EXPECT_EQ(c.volumeSerial, "1A2B-3C4D");
    EXPECT_EQ(c.deviceName, "\\Device\\HarddiskVolume1");
    EXPECT_EQ(c.physicalDrive, "0");
    EXPECT_EQ(c.ideSerial, "5JT1ABCD");
    EXPECT_EQ(c.partitionCount, "3") << "primary, extended and logical entries in use";
    EXPECT_EQ(c.partitionNumber, "1");
    EXPECT_EQ(c.partitionType, "IFS");
    EXPECT_EQ(c.bootable, "YES");
    EXPECT_EQ(c.startOffset, "1048576");
    EXPECT_EQ(c.hiddenSectors, "2048");
    ASSERT_EQ(c.flags.size(), 12u);
    EXPECT_EQ(c.flags[0], (std::pair<std::string, bool>{"Case Is Preserved", true}));

    view.chooseItem(1);
    const DiskInfoFields& d = view.fields();
    EXPECT_EQ(d.driveType, "Fixed - FAT32");
    EXPECT_EQ(d.volumeSerial, "0000-ABCD");
    EXPECT_EQ(d.partitionNumber, "2") << "the partition that holds D, not the last entry";
    EXPECT_EQ(d.partitionType, "FAT32");
    EXPECT_EQ(d.bootable, "NO");
    EXPECT_EQ(d.startOffset, "80025812992");
    int ticked = 0;
    for (const auto& [name, on] : d.flags) ticked += on;
    EXPECT_EQ(ticked, 3) << "case preserved, unicode, long file names";
    EXPECT_TRUE(d.flags[2].second);
    EXPECT_TRUE(d.flags[6].second);
    EXPECT_TRUE(messages.texts.empty());

    view.formShow();
    EXPECT_EQ(view.items().size(), 2u) << "showing the window again does not repeat the drives";
}

TEST_F(DiskInfoScenario, GptDiskShowsTheTypeOfItsPartition) {
    auto& m = loadExample("disks-usb-stick");
    DiskInfoView view(m, messages);
    view.formShow();
    const DiskInfoFields& f = view.fields();
    EXPECT_EQ(f.partitionCount, "2");
    EXPECT_EQ(f.partitionNumber, "2");
    EXPECT_EQ(f.partitionType, "Microsoft basic data");
    EXPECT_EQ(f.bootable, "NO");
    EXPECT_EQ(f.ideSerial, "S3Y9NB0K123456A");
    EXPECT_TRUE(messages.texts.empty()) << describeCalls(m);
}

TEST_F(DiskInfoScenario, TablesLargerThanTheFirstBufferAreReadWhole) {
    auto& m = load(manyLogicals(12));  // 4 + 4 x 12 = 52 entries, more than 27
    DriveLayout layout;
    ASSERT_TRUE(ReadDriveLayout(m, 'c', layout)) << describeCalls(m);
    EXPECT_EQ(layout.entries.size(), 2u + 12u + 11u) << "primary, extended, logicals and their links";
    ASSERT_NE(layout.partition(13), nullptr);
    const auto controls = callsNamed(m, "DeviceIoControl");
    ASSERT_GE(controls.size(), 2u);
    EXPECT_EQ(controls[0]->arguments[5], "872");
    EXPECT_NE(controls[0]->result.find("122"), std::string::npos) << controls[0]->result;
}

TEST_F(DiskInfoScenario, NotReadyDriveShowsTypeAndZeros) {
    auto& m = load(machineJson(R"("drives": [{"letter": "C", "medium_present": false, "disk": {"number": 0}}],
                                   "disks": [{"number": 0}])"));
    DiskInfoView view(m, messages);
    view.formShow();
    const DiskInfoFields& f = view.fields();
    EXPECT_EQ(f.driveType, "Fixed - ");
    EXPECT_EQ(f.capacity, "0 bytes");
    EXPECT_EQ(f.totalClusters, "0");
    EXPECT_EQ(f.volumeSerial, "");
    for (const auto& [name, on] : f.flags) EXPECT_FALSE(on) << name;
    ASSERT_EQ(messages.texts.size(), 1u) << "the layout of a drive without medium cannot be read";
    EXPECT_EQ(messages.texts[0], "The device is not ready");
    EXPECT_EQ(f.partitionCount, "");
}

TEST_F(DiskInfoScenario, GatheringFallsBackToClusterFiguresWithoutTheExtendedCall) {
    auto& m = load(machineJson(R"("libraries": {"kernel32.dll": []},
        "drives": [{"letter": "C", "space": {"total_clusters": 1000, "free_clusters": 250, "bytes_per_sector": 512,
                                                 "sectors_per_cluster": 8}}])"));
    TVolumeDetails details;
    GatherVolumeDetails(m, "C:", CheckVolumeReady(m, "C:"), details);
    EXPECT_TRUE(details.Ready);
    EXPECT_EQ(details.TotalBytes, 1000 * 4096);
    EXPECT_EQ(details.FreeBytes, 250 * 4096);
    EXPECT_EQ(callsNamed(m, "GetDiskFreeSpaceExA").size(), 0u);
    EXPECT_EQ(callsNamed(m, "FreeLibrary").size(), 1u);
}

TEST_F(DiskInfoScenario, VolumeInformationFailureKeepsTheFigures) {
    auto& m = load(machineJson(R"("drives": [{"letter": "C", "volume": {"error": 5}, "space": {"total": 1073741824}}])"));
    TVolumeDetails details;
    details.VolumeLabel = "old";
    GatherVolumeDetails(m, "C:", true, details);
    EXPECT_EQ(details.TotalBytes, 1073741824);
    EXPECT_EQ(details.VolumeLabel, "");
    EXPECT_EQ(details.SerialText, "");
    EXPECT_TRUE(details.Capabilities.empty());
    EXPECT_EQ(VolumeLabel(m, 'C'), "");
}

TEST_F(DiskInfoScenario, DriveWithoutDiskGivesNoNumberAndNoSerial) {
    auto& m = load(machineJson(R"("drives": [{"letter": "C"}, {"letter": "Z", "type": 4}])"));
    EXPECT_EQ(PhysicalDriveNumber(m, "C:"), -1);
    EXPECT_EQ(PhysicalDriveNumber(m, "Q:"), -1);
    EXPECT_EQ(IdeSerialNumber(m, 7), "");
    DiskInfoView view(m, messages);
    view.formShow();
    ASSERT_EQ(view.items().size(), 1u);
    EXPECT_EQ(view.fields().physicalDrive, "65535");
    EXPECT_EQ(view.fields().ideSerial, "");
}

// An optical drive's device number counts CD drives, not disks: it names no disk, so neither
// disk 0's serial nor its S.M.A.R.T. data is shown for the CD drive.
TEST_F(DiskInfoScenario, OpticalDriveIsNoDisk) {
    auto& m = load(machineJson(R"("drives": [{"letter": "C", "disk": {"number": 0, "partition": 1}},
        {"letter": "J", "type": 5}], "disks": [{"number": 0, "identify": {"serial": "5JT1ABCD"}}])"));
    EXPECT_EQ(PhysicalDriveNumber(m, "C:"), 0);
    EXPECT_EQ(PhysicalDriveNumber(m, "J:"), -1);
    EXPECT_EQ(DeviceNumberOf(m, "J:").partitionNumber, -1);
}

TEST_F(DiskInfoScenario, RecordedLayoutsOfFourAndTwelveEntries) {
    // Four entries, one in use; twelve entries with the logical partition in the third group.
    const std::string four = "04 00 00 00 78 56 34 12 "
                             "00 00 10 00 00 00 00 00 00 00 00 40 00 00 00 00 00 08 00 00 01 00 00 00 07 80 01 00 00 00 00 00" +
                             zeros(96);
    auto& m = load(machineJson(R"("drives": [{"letter": "C", "disk": {"number": 0}}],
                                   "disks": [{"number": 0, "layout": {"bytes": ")" + four + R"("}}])"));
    DriveLayout layout;
    ASSERT_TRUE(ReadDriveLayout(m, 'C', layout));
    ASSERT_EQ(layout.entries.size(), 1u);
    EXPECT_EQ(layout.entries[0].typeName(), "IFS");
    EXPECT_TRUE(layout.entries[0].BootIndicator);
    EXPECT_EQ(layout.entries[0].StartingOffset, 1048576);
    EXPECT_EQ(layout.entries[0].PartitionLength, 0x40000000);

    auto& twelve = load(manyLogicals(2));
    ASSERT_TRUE(ReadDriveLayout(twelve, 'C', layout));
    EXPECT_EQ(callsNamed(twelve, "DeviceIoControl").size(), 1u);
    EXPECT_EQ(layout.entries.size(), 5u);
    EXPECT_EQ(layout.partition(3)->StartingOffset, 5 * 1048576);
}

// A GPT name of the machine file is stored as UTF-16 in the entry and read back as the same
// UTF-8, characters beyond U+FFFF included; such a character counts twice toward the 36 units.
TEST_F(DiskInfoScenario, GptNameBeyondTheBasicPlaneReadsBackUnchanged) {
    const std::string machine = machineJson(R"("drives": [{"letter": "C", "disk": {"number": 0, "partition": 1}}],
        "disks": [{"number": 0, "layout": {"style": "gpt", "partitions": [
          {"type": "Linux filesystem", "name": "\ud83d\udcbe Daten", "start": 1048576, "length": 1048576}]}}])");
    auto& m = load(machine);
    DriveLayout layout;
    ASSERT_TRUE(ReadDriveLayout(m, 'C', layout)) << describeCalls(m);
    ASSERT_EQ(layout.entries.size(), 1u);
    EXPECT_EQ(layout.entries[0].gptName, "\xF0\x9F\x92\xBE Daten");

    const std::string tooLong = machineJson(R"("disks": [{"number": 0, "layout": {"style": "gpt", "partitions": [
          {"type": "Linux filesystem", "name": "12345678901234567890123456789012345\ud83d\udcbe", "start": 1048576,
           "length": 1048576}]}}])");
    EXPECT_THROW(load(tooLong), zv::sim::MachineFileError) << "35 characters and a pair are 37 units";
}
