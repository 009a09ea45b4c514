// The small tool reports on simulated machines: the volume list, the USB drive report and
// the cluster figures.
#include "common/ui_services.h"
#include "platform/sim/sim_platform.h"
#include "tools/cluster_figures.h"
#include "tools/usb_drive_report.h"
#include "tools/volume_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zv::tools {
namespace {

using Lines = std::vector<std::string>;

std::unique_ptr<sim::SimPlatform> machine(const std::string& body) {
    return sim::SimPlatform::fromText(R"({"schema": 1, )" + body + "}", "tools.json");
}

// ---- volume list

const std::string kVolumes = R"("drives": [
    {"letter": "C", "type": 3, "volume_guid": "\\\\?\\Volume{0b1e5c4a-0000-0000-0000-100000000000}\\"},
    {"letter": "D", "type": 5, "medium_present": false},
    {"letter": "E", "type": 3, "volume_guid": "\\\\?\\Volume{0b1e5c4a-0000-0000-0000-200000000000}\\"}],
  "volumes": [{"guid": "\\\\?\\Volume{5ec0a1e2-0000-0000-0000-300000000000}\\"}])";

TEST(VolumeList, ListsLetteredAndUnletteredVolumesOnceEach) {
    auto platform = machine(kVolumes);
    const Lines expected = {"\\\\?\\Volume{0b1e5c4a-0000-0000-0000-100000000000}\\",
                            "\\\\?\\Volume{0b1e5c4a-0000-0000-0000-200000000000}\\",
                            "\\\\?\\Volume{5ec0a1e2-0000-0000-0000-300000000000}\\"};
    EXPECT_EQ(readVolumeNames(*platform), expected);
    EXPECT_EQ(readVolumeNames(*platform), expected);  // a second refresh shows them once
    EXPECT_EQ(platform->openHandleCount(), 0);        // search and library released
}

TEST(VolumeList, AMissingFunctionLeavesTheListEmpty) {
    auto platform = machine(kVolumes + R"(, "libraries": {"kernel32.dll": ["FindFirstVolumeA", "FindVolumeClose"]})");
    EXPECT_TRUE(readVolumeNames(*platform).empty());
    EXPECT_EQ(platform->openHandleCount(), 0);
}

TEST(VolumeList, AMachineWithoutVolumesGivesNone) {
    auto platform = machine(R"("drives": [{"letter": "C", "type": 3}])");
    EXPECT_TRUE(readVolumeNames(*platform).empty());
}

// ---- USB drive report

Lines report(sim::SimPlatform& platform, std::string* error = nullptr) {
    Lines texts;
    try {
        runUsbDriveReport(platform, [&](const std::string& text) { texts.push_back(text); });
    } catch (const CommandError& failure) {
        if (error) *error = failure.what();
    }
    return texts;
}

const std::string kInternal = R"({"InterfaceType": "IDE", "PNPDeviceID": "IDE\\DISK", "Description": "Disk drive",
    "MediaType": "Fixed hard disk media", "Model": "WDC WD800", "Capabilities": [3, 4], "BytesPerSector": 512,
    "TotalSectors": 156301488, "Size": "80023749120", "Status": "OK"})";

TEST(UsbDriveReport, OneInternalDisk) {
    auto platform = machine(R"("management": {"rows": [)" + kInternal + "]}");
    EXPECT_EQ(report(*platform), (Lines{"\r\n Disk Drive 1 is active but not a USB drive.",
                                        "\r\n There are 1 Disk Drives active on this system."}));
}

TEST(UsbDriveReport, UsbDisksAreNumberedAmongAllDisks) {
    auto platform = machine(R"("management": {"rows": [)" + kInternal + R"(,
      {"InterfaceType": "USB", "PNPDeviceID": "USBSTOR\\DISK&VEN_SANDISK", "Description": "Disk drive",
       "MediaType": "Removable Media", "Model": "SanDisk Cruzer USB Device", "Capabilities": [3, 4, 7, 99],
       "BytesPerSector": 512, "TotalSectors": 15625008, "Size": 8000000004, "Status": "OK"},
      {"InterfaceType": "USB", "PNPDeviceID": "USBSTOR\\OTHER", "Description": "Disk drive", "MediaType": null,
       "Model": "Reader", "Capabilities": [], "BytesPerSector": 4096, "TotalSectors": 999, "Size": 4091904,
       "Status": "Degraded"}]})");
    const Lines texts = report(*platform);
    const Lines expected = {
        "\r\n Disk Drive 1 is active but not a USB drive.",
        "\r\n Disk Drive 2 is a USB drive.",
        " PNP ID : USBSTOR\\DISK&VEN_SANDISK",
        " Interface Type : USB",
        " Device Type : Disk drive",
        " Media Type : Removable Media",
        " Model : SanDisk Cruzer USB Device",
        " Random Access",
        " Supports Writing",
        " Supports Removable Media",
        " Unknown",
        " Bytes per sector : 512",
        " Total Sectors : 15,625,008",
        " Drive Capacity : 8,000,000,004",
        " Status is OK",
        "\r\n Disk Drive 3 is a USB drive.",
        " PNP ID : USBSTOR\\OTHER",
        " Interface Type : USB",
        " Device Type : Disk drive",
        " Media Type : ",
        " Model : Reader",
        " Bytes per sector : 4096",
        " Total Sectors : 999",
        " Drive Capacity : 4,091,904",
        " Status is Degraded",
        "\r\n There are 3 Disk Drives active on this system.",
    };
    EXPECT_EQ(texts, expected);
}

TEST(UsbDriveReport, TheLocaleGroupsTheCounts) {
    auto platform = machine(R"("system": {"locale": {"decimal": ",", "thousands": "."}},
      "management": {"rows": [{"InterfaceType": "USB", "PNPDeviceID": "", "Description": "", "MediaType": "",
        "Model": "", "Capabilities": [12], "BytesPerSector": 512, "TotalSectors": 1000, "Size": 512000,
        "Status": "OK"}]})");
    const Lines texts = report(*platform);
    ASSERT_GE(texts.size(), 10u);
    EXPECT_EQ(texts[6], " Ejection Prior to Drive Dismount Not Required");
    EXPECT_EQ(texts[8], " Total Sectors : 1.000");
    EXPECT_EQ(texts[9], " Drive Capacity : 512.000");
}

TEST(UsbDriveReport, FailuresEndTheReportAfterWhatWasAppended) {
    std::string error;
    auto refused = machine(R"("management": {"error": "Access denied", "hresult": "0x80041003"})");
    EXPECT_TRUE(report(*refused, &error).empty());
    EXPECT_EQ(error, "Access denied");

    // The second drive lacks its model: the report stops there.
    auto partial = machine(R"("management": {"rows": [)" + kInternal + R"(,
      {"InterfaceType": "USB", "PNPDeviceID": "X", "Description": "Disk drive", "MediaType": "Removable Media"}]})");
    const Lines texts = report(*partial, &error);
    EXPECT_EQ(texts, (Lines{"\r\n Disk Drive 1 is active but not a USB drive.", "\r\n Disk Drive 2 is a USB drive.",
                            " PNP ID : X", " Interface Type : USB", " Device Type : Disk drive",
                            " Media Type : Removable Media"}));
    EXPECT_EQ(error, "Unknown name: Model");
}

TEST(UsbDriveReport, CapabilityTexts) {
    EXPECT_EQ(capabilityText(0), " Unknown");
    EXPECT_EQ(capabilityText(2), " Sequential Access");
    EXPECT_EQ(capabilityText(5), " Encryption");
    EXPECT_EQ(capabilityText(6), " Compression");
    EXPECT_EQ(capabilityText(10), " SMART Notification");
    for (int code : {1, 8, 9, 11, 13, -1}) EXPECT_EQ(capabilityText(code), " Unknown") << code;
}

// ---- cluster figures

TEST(ClusterFigures, EveryLogicalDriveHasItsRow) {
    auto platform = machine(R"("drives": [
      {"letter": "A", "type": 2, "medium_present": false},
      {"letter": "C", "type": 3, "space": {"sectors_per_cluster": 8, "bytes_per_sector": 512,
                                           "total_clusters": 26214400, "free_clusters": 1000}},
      {"letter": "D", "type": 5, "medium_present": false}])");
    const auto rows = readAllClusterFigures(*platform);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Drive, "A:\\");
    EXPECT_EQ(rows[0].SubItems, (std::array<std::string, 4>{"0", "0", "0", "0"}));
    EXPECT_EQ(rows[1].Drive, "C:\\");
    EXPECT_EQ(rows[1].SubItems, (std::array<std::string, 4>{"8", "512", "1000", "26214400"}));
    EXPECT_EQ(rows[2].SubItems, (std::array<std::string, 4>{"0", "0", "0", "0"}));
    // The critical-error boxes were off while the figures were read, and are back now.
    EXPECT_EQ(platform->currentErrorMode(), 0u);
    EXPECT_EQ(platform->criticalErrorDialogCount(), 0);
    int modes = 0;
    for (const sim::SimCall& call : platform->calls()) modes += call.operation == "SetErrorMode";
    EXPECT_EQ(modes, 6);
}

}  // namespace
}  // namespace zv::tools
