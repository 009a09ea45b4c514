// The survey on simulated machines: every classification row with its texts, the edge cases
// of sizes and percentages, the locale, SkipAB and the filters.
#include "survey_machine.h"

#include <gtest/gtest.h>

namespace zv::survey {
namespace {

using namespace zv::survey::testing;

class Survey : public SurveyMachineTest {};
using Texts = std::vector<std::string>;
using win::UINT;

// One drive of each kind the list tells apart.
const char* const kEveryKind = R"({
  "schema": 1,
  "drives": [
    {"letter": "C", "type": 3,
     "volume": {"label": "System", "serial": "0x1A2B3C4D", "file_system": "NTFS"},
     "space": {"total": 536870912000, "free_to_caller": 243041461862},
     "inquiry": {"vendor": "ATA", "product": "ST3500418AS", "revision": "CC38"}},
    {"letter": "D", "type": 5,
     "volume": {"label": "AUDIO", "serial": "0x00000ABC", "file_system": "CDFS"},
     "space": {"total": 734003200, "free_to_caller": 0},
     "inquiry": {"vendor": "TSSTcorp", "product": "CDDVDW SH-S203N", "revision": "SB01"}},
    {"letter": "E", "type": 3,
     "volume": {"label": "Backup", "serial": "0xDEADBEEF", "file_system": "NTFS"},
     "space": {"total": 1073741824, "free_to_caller": 0},
     "storage": {"bus_type": 7, "removable_media": false}},
    {"letter": "F", "type": 2,
     "volume": {"label": "CARD", "serial": "0x12345678", "file_system": "FAT32"},
     "space": {"total": 1073741825, "free_to_caller": 536870912},
     "inquiry": {"vendor": "Generic", "product": "STORAGE DEVICE", "revision": "9744"}},
    {"letter": "G", "type": 2, "medium_present": false,
     "inquiry": {"vendor": "Generic", "product": "CARD READER", "revision": "1.00"}},
    {"letter": "M", "type": 4,
     "volume": {"label": "share", "serial": "0x0000FFFF", "file_system": "NTFS"},
     "space": {"total": 214748364800, "free_to_caller": 107374182400}},
    {"letter": "N", "type": 4, "volume": {"error": 59}, "space": {"error": 59}},
    {"letter": "R", "type": 6,
     "volume": {"label": "RAMDISK", "serial": "0x00010002", "file_system": "FAT"},
     "space": {"total": 67108864, "free_to_caller": 33554432}},
    {"letter": "U", "type": 0, "volume": {"error": 1}, "space": {"error": 1}},
    {"letter": "X", "type": 9, "volume": {"error": 1}, "space": {"error": 1}}
  ],
  "substitutes": [{"letter": "S", "target": "C:\\Temp"}],
  "network": {
    "connections": [{"letter": "M", "remote": "\\\\server\\share"},
                    {"letter": "N", "remote": "\\\\down\\files", "state": "unavailable"}],
    "remembered": [{"letter": "P", "remote": "\\\\old\\archive"}]
  },
  "registry": {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer": {
      "NoDrives": {"type": "REG_DWORD", "data": 16}
    }
  }
})";

class EveryKind : public SurveyMachineTest {
protected:
    void SetUp() override {
        m_machine = &load(kEveryKind);
        m_rows = surveyRows(*m_machine);
    }
    Texts row(char letter) const {
        const DriveRecord* record = rowOf(m_rows, letter);
        return record ? textsOf(*record) : Texts{};
    }
    sim::SimPlatform* m_machine = nullptr;
    std::vector<DriveRecord> m_rows;
};

TEST_F(EveryKind, ListsLogicalDrivesAndTheRememberedLetterInOrder) {
    EXPECT_EQ(lettersOf(m_rows), "CDEFGMNPRSUX");
}

TEST_F(EveryKind, LocalDisk) {
    EXPECT_EQ(row('C'), (Texts{"C: ", "System", "Local Disk", "", "500.00 GB", "273.65 GB", "226.35 GB",
                               "243,041,461,862", "NTFS", "1A2B - 3C4D", "    45.3%", "Visible", "ATA     ",
                               "ST3500418AS     "}));
    EXPECT_EQ(rowOf(m_rows, 'C')->ImageIndex, 0);
}

TEST_F(EveryKind, OpticalDriveWithFullDisc) {
    EXPECT_EQ(row('D'), (Texts{"D: ", "AUDIO", "CD / DVD Drive", "DVD-RW", "700.00 MB", "700.00 MB", "0.00 MB", "0",
                               "CDFS", "0000 - 0ABC", "     0.0%", "Visible", "TSSTcorp", "CDDVDW SH-S203N "}));
    EXPECT_EQ(rowOf(m_rows, 'D')->ImageIndex, 2);
}

TEST_F(EveryKind, ExternalDiskOfExactlyOneGigabyteShowsMegabytesAndIsHidden) {
    EXPECT_EQ(row('E'), (Texts{"E: ", "Backup", "Local Disk", "External Drive", "1024.00 MB", "1024.00 MB", "0.00 MB",
                               "0", "NTFS", "DEAD - BEEF", "     0.0%", "Hidden", "", ""}));
}

TEST_F(EveryKind, RemovableDiskOneByteAboveAGigabyte) {
    EXPECT_EQ(row('F'), (Texts{"F: ", "CARD", "Removable Disk", "Generic ", "1.00 GB", "512.00 MB", "512.00 MB",
                               "536,870,912", "FAT32", "1234 - 5678", "    50.0%", "Visible", "Generic ",
                               "STORAGE DEVICE  "}));
    EXPECT_EQ(rowOf(m_rows, 'F')->ImageIndex, 3);
}

TEST_F(EveryKind, EmptyCardReaderIsNotMounted) {
    // An unreadable volume shows an empty serial, like its empty file system.
    EXPECT_EQ(row('G'), (Texts{"G: ", "Not mounted", "Removable Disk", "Generic ", "0.00 MB", "0.00 MB", "0.00 MB",
                               "0", "", "", "     0.0%", "Visible", "Generic ", "CARD READER     "}));
    EXPECT_TRUE(rowOf(m_rows, 'G')->NotMounted);
}

TEST_F(EveryKind, ConnectedNetworkDiskShowsItsRemoteName) {
    EXPECT_EQ(row('M'), (Texts{"M: ", "share", "Network Disk", "\\\\server\\share", "200.00 GB", "100.00 GB",
                               "100.00 GB", "107,374,182,400", "NTFS", "0000 - FFFF", "    50.0%", "Visible", "",
                               ""}));
    EXPECT_EQ(rowOf(m_rows, 'M')->ImageIndex, 1);
}

TEST_F(EveryKind, UnavailableNetworkDiskIsNotMeasured) {
    EXPECT_EQ(row('N'), (Texts{"N: ", "", "Network Disk", "Disconnected", "0.00 MB", "0.00 MB", "0.00 MB", "0", "", "",
                               "     0.0%", "Visible", "", ""}));
    EXPECT_TRUE(rowOf(m_rows, 'N')->Disconnected);
    EXPECT_FALSE(rowOf(m_rows, 'N')->NotMounted);
}

TEST_F(EveryKind, RememberedConnectionOnNoLogicalDrive) {
    EXPECT_EQ(row('P'), (Texts{"P: ", "", "Network", "Disconnected", "0.00 MB", "0.00 MB", "0.00 MB", "0", "", "",
                               "     0.0%", "Visible", "", ""}));
    EXPECT_EQ(rowOf(m_rows, 'P')->ImageIndex, 5);
    EXPECT_EQ(rowOf(m_rows, 'P')->DriveType, 1u);
}

TEST_F(EveryKind, RamDisk) {
    EXPECT_EQ(row('R'), (Texts{"R: ", "RAMDISK", "RAM Disk", "", "64.00 MB", "32.00 MB", "32.00 MB", "33,554,432", "FAT",
                               "0001 - 0002", "    50.0%", "Visible", "", ""}));
}

TEST_F(EveryKind, SubstituteDriveShowsItsFolderAndItsTargetsFigures) {
    const Texts s = row('S');
    ASSERT_EQ(s.size(), 14u);
    EXPECT_EQ(s[1], "System");
    EXPECT_EQ(s[2], "Subst");
    EXPECT_EQ(s[3], "C:\\Temp");
    EXPECT_EQ(s[4], "500.00 GB");
    EXPECT_EQ(s[8], "NTFS");
}

TEST_F(EveryKind, UnknownAndOutOfRangeTypes) {
    EXPECT_EQ(row('U')[2], "Unknown");
    EXPECT_EQ(row('X')[2], "xxxxx");
    EXPECT_EQ(row('X'), (Texts{"X: ", "Not mounted", "xxxxx", "", "0.00 MB", "0.00 MB", "0.00 MB", "0", "", "",
                               "     0.0%", "Visible", "", ""}));
}

TEST_F(EveryKind, CriticalErrorsAreSuppressedOnlyAroundTheSizeQueries) {
    UINT mode = 0;
    int sizeQueries = 0;
    for (const sim::SimCall& call : m_machine->calls()) {
        if (call.operation == "SetErrorMode") {
            ASSERT_FALSE(call.arguments.empty());
            mode = static_cast<UINT>(std::stoul(call.arguments[0], nullptr, 0));
        } else if (call.operation == "GetDiskFreeSpaceExA" || call.operation == "GetDiskFreeSpaceA") {
            EXPECT_EQ(mode, 1u) << call.operation << " " << call.arguments[0];
            ++sizeQueries;
        } else if (call.operation != "GetLocaleSeparators") {
            EXPECT_NE(mode, 1u) << call.operation << " ran with critical errors suppressed";
        }
    }
    // Two queries (total, free) for each measured letter: all but N and P.
    EXPECT_EQ(sizeQueries, 2 * 10);
}

TEST_F(Survey, FiltersDropRowsOnceAndLeaveTheOthers) {
    auto& m = load(kEveryKind);
    SurveyOptions options;
    options.local = false;
    options.notMounted = false;
    // C, E, S are local; G, U, X not mounted; N (unmeasured) and P stay.
    EXPECT_EQ(lettersOf(surveyRows(m, options)), "DFMNPR");

    SurveyOptions noNetwork;
    noNetwork.network = false;
    EXPECT_EQ(lettersOf(surveyRows(m, noNetwork)), "CDEFGPRSUX");
    SurveyOptions noDisconnected;
    noDisconnected.disconnected = false;
    EXPECT_EQ(lettersOf(surveyRows(m, noDisconnected)), "CDEFGMRSUX");
    SurveyOptions noOptical;
    noOptical.cdDvd = false;
    noOptical.removable = false;
    EXPECT_EQ(lettersOf(surveyRows(m, noOptical)), "CEMNPRSUX");
}

TEST_F(Survey, NotMountedLocalDiskMatchedByTwoFiltersIsDroppedOnce) {
    auto& m = machineWith(R"({"letter": "C", "space": {"total": 1048576, "free_to_caller": 0}},
                            {"letter": "D", "type": 3, "medium_present": false},
                            {"letter": "E", "type": 2, "space": {"total": 1048576, "free_to_caller": 0}})");
    SurveyOptions options;
    options.local = false;
    options.notMounted = false;
    EXPECT_EQ(lettersOf(surveyRows(m, options)), "E");
    options.local = true;
    EXPECT_EQ(lettersOf(surveyRows(m, options)), "CE");
}

TEST_F(Survey, SkipABLeavesOutFloppiesAndRememberedConnections) {
    auto& m = machineWith(R"({"letter": "A", "type": 2, "medium_present": false},
                            {"letter": "C", "space": {"total": 1048576, "free_to_caller": 0}})",
                         R"("network": {"remembered": [{"letter": "B", "remote": "\\\\x\\y"}]})");
    EXPECT_EQ(lettersOf(surveyRows(m)), "C");
    SurveyOptions all;
    all.skipAB = false;
    const auto rows = surveyRows(m, all);
    EXPECT_EQ(lettersOf(rows), "ABC");
    EXPECT_EQ(rows[0].caption, "A: ");
    EXPECT_EQ(rows[0].DriveNumber, 1);
    EXPECT_EQ(rows[1].TypeText, "Network");
}

TEST_F(Survey, NumbersFollowTheUsersSeparators) {
    auto& m = machineWith(R"({"letter": "C", "space": {"total": 536870912000, "free_to_caller": 243041461862}},
                            {"letter": "D", "space": {"total": 1610612736, "free_to_caller": 1048576}})",
                         R"("system": {"locale": {"decimal": ",", "thousands": "."}})");
    const auto rows = surveyRows(m);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].sizeText, "500,00 GB");
    EXPECT_EQ(rows[0].bytesFreeText, "243.041.461.862");
    EXPECT_EQ(rows[0].percentFreeText, "    45,3%");
    EXPECT_EQ(rows[1].sizeText, "1,50 GB");
    EXPECT_EQ(rows[1].usedText, "1,50 GB");
    EXPECT_EQ(rows[1].availableText, "1,00 MB");
    EXPECT_EQ(rows[1].bytesFreeText, "1.048.576");
}

TEST_F(Survey, LongUtf8LabelIsCutOnACharacterBoundary) {
    // 78 ASCII bytes and then "é" twice: the second "é" would end at byte 82.
    const std::string label = std::string(78, 'a') + "\xC3\xA9\xC3\xA9";
    auto& m = machineWith(R"({"letter": "C", "volume": {"label": ")" + label + R"("}})");
    const auto rows = surveyRows(m);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].VolumeLabel, std::string(78, 'a') + "\xC3\xA9");
}

TEST_F(Survey, LabelOfEightyBytesIsKeptWhole) {
    const std::string label(80, 'L');
    auto& m = machineWith(R"({"letter": "C", "volume": {"label": ")" + label + R"("}})");
    EXPECT_EQ(surveyRows(m).at(0).VolumeLabel, label);
}

TEST_F(Survey, OlderSystemsAreMeasuredInClusters) {
    auto& m = machineWith(R"({"letter": "C", "space": {"bytes_per_sector": 512, "sectors_per_cluster": 8,
                                                     "total_clusters": 262144, "free_clusters": 65536}})",
                         R"("libraries": {"kernel32.dll": []})");
    const auto rows = surveyRows(m);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].sizeText, "1024.00 MB");
    EXPECT_EQ(rows[0].availableText, "256.00 MB");
    EXPECT_EQ(rows[0].percentFreeText, "    25.0%");
    for (const sim::SimCall& call : m.calls()) EXPECT_NE(call.operation, "GetDiskFreeSpaceExA");
    EXPECT_EQ(m.openHandleCount(), 0);  // the library was freed
}

TEST_F(Survey, VolumeWithoutInformationKeepsItsSizes) {
    auto& m = machineWith(R"({"letter": "C", "volume": {"error": 1005},
                             "space": {"total": 1048576, "free_to_caller": 524288}})");
    const auto rows = surveyRows(m);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].VolumeLabel, "");
    EXPECT_EQ(rows[0].FileSystemName, "");
    EXPECT_EQ(rows[0].SerialText, "");
    EXPECT_EQ(rows[0].sizeText, "1.00 MB");
    EXPECT_FALSE(rows[0].NotMounted);
}

}  // namespace
}  // namespace zv::survey
