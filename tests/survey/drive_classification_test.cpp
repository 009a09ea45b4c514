// The classification table and the row filters.
#include "survey/drive_classification.h"
#include "survey/drive_filters.h"

#include <gtest/gtest.h>

namespace zv::survey {
namespace {

using namespace zv::win;

// Answers and records what the classification asked.
struct ScriptedQueries final : ClassificationQueries {
    std::string folder;
    bool external = false;
    DWORD network = ERROR_NOT_CONNECTED;
    std::string remote;
    std::string optical;
    std::vector<std::string> asked;

    std::string substFolder(char letter) override {
        asked.push_back(std::string("subst ") + letter);
        return folder;
    }
    bool isExternal(char letter) override {
        asked.push_back(std::string("external ") + letter);
        return external;
    }
    DWORD networkConnection(const std::string& driveName, std::string* remoteName) override {
        asked.push_back("network " + driveName);
        if (network == NO_ERROR) *remoteName = remote;
        return network;
    }
    std::string opticalKind(char letter) override {
        asked.push_back(std::string("optical ") + letter);
        return optical;
    }
};

void expectClass(const DriveClass& actual, const std::string& type, int image, const std::string& info) {
    EXPECT_EQ(actual.typeText, type);
    EXPECT_EQ(actual.imageIndex, image);
    EXPECT_EQ(actual.additionalInfo, info);
}

TEST(Classification, TypesWithoutQueries) {
    ScriptedQueries queries;
    expectClass(classifyDrive(DRIVE_UNKNOWN, 'E', false, "", queries), "Unknown", 0, "");
    expectClass(classifyDrive(DRIVE_NO_ROOT_DIR, 'E', false, "", queries), "No Root Dir", 0, "");
    expectClass(classifyDrive(DRIVE_NO_ROOT_DIR, 'N', true, "", queries), "Network", 5, "Disconnected");
    expectClass(classifyDrive(DRIVE_RAMDISK, 'R', false, "", queries), "RAM Disk", 0, "");
    expectClass(classifyDrive(7, 'X', false, "", queries), "xxxxx", 0, "");
    expectClass(classifyDrive(200, 'X', false, "", queries), "xxxxx", 0, "");
    EXPECT_TRUE(queries.asked.empty());
}

TEST(Classification, RemovableDiskShowsTheVendor) {
    ScriptedQueries queries;
    expectClass(classifyDrive(DRIVE_REMOVABLE, 'F', false, "Generic STORAGE DEVICE  9744", queries),
                "Removable Disk", 3, "Generic ");
    expectClass(classifyDrive(DRIVE_REMOVABLE, 'F', false, "", queries), "Removable Disk", 3, "");
    EXPECT_TRUE(queries.asked.empty());
}

TEST(Classification, FixedDiskSubstExternalOrLocal) {
    ScriptedQueries subst;
    subst.folder = "C:\\Temp";
    subst.external = true;
    expectClass(classifyDrive(DRIVE_FIXED, 'S', false, "", subst), "Subst", 0, "C:\\Temp");
    EXPECT_EQ(subst.asked, std::vector<std::string>{"subst S"});  // a folder settles it

    ScriptedQueries usb;
    usb.external = true;
    expectClass(classifyDrive(DRIVE_FIXED, 'U', false, "", usb), "Local Disk", 0, "External Drive");
    EXPECT_EQ(usb.asked, (std::vector<std::string>{"subst U", "external U"}));

    ScriptedQueries local;
    expectClass(classifyDrive(DRIVE_FIXED, 'C', false, "", local), "Local Disk", 0, "");
}

TEST(Classification, NetworkDiskByConnectionAnswer) {
    ScriptedQueries connected;
    connected.network = NO_ERROR;
    connected.remote = "\\\\server\\share";
    expectClass(classifyDrive(DRIVE_REMOTE, 'M', false, "", connected), "Network Disk", 1, "\\\\server\\share");
    EXPECT_EQ(connected.asked, std::vector<std::string>{"network M:"});

    ScriptedQueries down;
    down.network = ERROR_CONNECTION_UNAVAIL;
    expectClass(classifyDrive(DRIVE_REMOTE, 'M', true, "", down), "Network Disk", 1, "Disconnected");

    ScriptedQueries failing;
    failing.network = ERROR_NO_NETWORK;
    failing.remote = "\\\\stale\\name";
    expectClass(classifyDrive(DRIVE_REMOTE, 'M', false, "", failing), "Network Disk", 1, "");
}

TEST(Classification, OpticalDriveShowsItsKind) {
    ScriptedQueries queries;
    queries.optical = "DVD-RW";
    expectClass(classifyDrive(DRIVE_CDROM, 'D', false, "HL-DT-ST", queries), "CD / DVD Drive", 2, "DVD-RW");
    queries.optical.clear();
    expectClass(classifyDrive(DRIVE_CDROM, 'D', false, "", queries), "CD / DVD Drive", 2, "");
}

DriveRecord row(UINT type, bool notMounted = false, bool disconnected = false) {
    DriveRecord record;
    record.DriveType = type;
    record.NotMounted = notMounted;
    record.Disconnected = disconnected;
    return record;
}

TEST(Filters, EachCheckBoxDropsItsKindOnly) {
    const SurveyOptions all;
    for (UINT type : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 9u}) EXPECT_FALSE(droppedByFilters(row(type), all)) << type;

    struct Case {
        bool SurveyOptions::*filter;
        UINT droppedType;
    };
    for (const Case& c : {Case{&SurveyOptions::local, DRIVE_FIXED}, Case{&SurveyOptions::cdDvd, DRIVE_CDROM},
                          Case{&SurveyOptions::removable, DRIVE_REMOVABLE}, Case{&SurveyOptions::network, DRIVE_REMOTE}}) {
        SurveyOptions options;
        options.*c.filter = false;
        for (UINT type : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 9u})
            EXPECT_EQ(droppedByFilters(row(type), options), type == c.droppedType) << type;
    }
}

TEST(Filters, NotMountedAndDisconnectedLookAtTheFlags) {
    SurveyOptions noNotMounted;
    noNotMounted.notMounted = false;
    EXPECT_TRUE(droppedByFilters(row(DRIVE_REMOVABLE, true), noNotMounted));
    EXPECT_FALSE(droppedByFilters(row(DRIVE_REMOVABLE, false), noNotMounted));

    SurveyOptions noDisconnected;
    noDisconnected.disconnected = false;
    EXPECT_TRUE(droppedByFilters(row(DRIVE_NO_ROOT_DIR, false, true), noDisconnected));
    EXPECT_TRUE(droppedByFilters(row(DRIVE_REMOTE, false, true), noDisconnected));
    EXPECT_FALSE(droppedByFilters(row(DRIVE_REMOTE), noDisconnected));

    // The Network filter looks at type 4 only: a remembered letter without a root stays.
    SurveyOptions noNetwork;
    noNetwork.network = false;
    EXPECT_FALSE(droppedByFilters(row(DRIVE_NO_ROOT_DIR, false, true), noNetwork));
    EXPECT_TRUE(droppedByFilters(row(DRIVE_REMOTE, false, true), noNetwork));
}

}  // namespace
}  // namespace zv::survey
