// zorvane-cli list on the example machine that holds every row of the classification table:
// each row's texts, reviewed by hand against the machine file.
#include "cli/cli_context.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace zv::cli {
namespace {

using Fields = std::vector<std::string>;

std::map<std::string, Fields> listRows(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args{"--machine", std::string(ZV_SOURCE_DIR) + "/examples/machines/full.json", "list"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::ostringstream out, err;
    EXPECT_EQ(runCli(args, out, err), 0) << err.str();
    std::map<std::string, Fields> rows;
    std::istringstream lines(out.str());
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        Fields fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) fields.push_back(cell);
        if (!line.empty() && line.back() == '\t') fields.push_back("");
        EXPECT_EQ(fields.size(), 14u) << line;
        rows[fields.at(0)] = fields;
    }
    return rows;
}

TEST(FullMachine, ListsEveryLetterFromC) {
    const auto rows = listRows();
    std::string letters;
    for (const auto& [caption, fields] : rows) letters += caption.substr(0, 1);
    EXPECT_EQ(letters, "CDEFGHIJKNRSUWXYZ");
}

TEST(FullMachine, EveryClassificationRowShowsItsTexts) {
    const auto rows = listRows();
    const std::map<std::string, Fields> expected = {
        {"C: ", {"C: ", "System", "Local Disk", "", "160.00 GB", "115.00 GB", "45.00 GB", "48,318,382,080", "NTFS",
                 "1A2B - 3C4D", "    28.1%", "Visible", "ATA     ", "ST3160815AS     "}},
        {"D: ", {"D: ", "Data", "Local Disk", "", "1024.00 MB", "512.00 MB", "512.00 MB", "536,870,912", "FAT32",
                 "00C0 - FFEE", "    50.0%", "Visible", "ATA     ", "WDC WD10EZEX-00B"}},
        {"E: ", {"E: ", "Backup", "Local Disk", "External Drive", "465.76 GB", "267.76 GB", "198.00 GB",
                 "212,600,000,000", "NTFS", "5E6F - 7A8B", "    42.5%", "Visible", "WD      ", "My Passport 0740"}},
        {"F: ", {"F: ", "Archive", "Local Disk", "External Drive", "232.89 GB", "226.05 GB", "6.84 GB",
                 "7,340,032,000", "NTFS", "1394 - 1394", "     2.9%", "Visible", "Maxtor  ", "OneTouch        "}},
        {"G: ", {"G: ", "Flash", "Local Disk", "External Drive", "3.73 GB", "752.00 MB", "3.00 GB", "3,221,225,472",
                 "FAT32", "0BAD - F00D", "    80.3%", "Hidden", "Kingston", "DataTraveler 3.0"}},
        {"H: ", {"H: ", "USBSTICK", "Removable Disk", "SanDisk ", "7.45 GB", "1.45 GB", "6.00 GB", "6,442,450,944",
                 "FAT32", "4A3B - 2C1D", "    80.5%", "Visible", "SanDisk ", "Cruzer Blade    "}},
        {"I: ", {"I: ", "Not mounted", "Removable Disk", "Generic-", "0.00 MB", "0.00 MB", "0.00 MB", "0", "", "",
                 "     0.0%", "Visible", "Generic-", "SD/MMC          "}},
        {"N: ", {"N: ", "public", "Network Disk", "\\\\fileserver\\public", "2048.00 GB", "1228.80 GB", "819.20 GB",
                 "879,609,302,220", "NTFS", "7C1D - 0E2F", "    40.0%", "Visible", "", ""}},
        {"R: ", {"R: ", "", "Network", "Disconnected", "0.00 MB", "0.00 MB", "0.00 MB", "0", "", "", "     0.0%",
                 "Visible", "", ""}},
        {"S: ", {"S: ", "System", "Subst", "C:\\Temp", "160.00 GB", "115.00 GB", "45.00 GB", "48,318,382,080", "NTFS",
                 "1A2B - 3C4D", "    28.1%", "Visible", "ATA     ", "ST3160815AS     "}},
        {"U: ", {"U: ", "", "Network Disk", "Disconnected", "0.00 MB", "0.00 MB", "0.00 MB", "0", "", "", "     0.0%",
                 "Visible", "", ""}},
        {"W: ", {"W: ", "Not mounted", "Network Disk", "", "0.00 MB", "0.00 MB", "0.00 MB", "0", "", "", "     0.0%",
                 "Visible", "", ""}},
        {"X: ", {"X: ", "RAMDISK", "RAM Disk", "", "512.00 MB", "16.00 MB", "496.00 MB", "520,093,696", "FAT",
                 "0000 - BEEF", "    96.9%", "Hidden", "", ""}},
        {"Y: ", {"Y: ", "Not mounted", "Unknown", "", "0.00 MB", "0.00 MB", "0.00 MB", "0", "", "", "     0.0%",
                 "Visible", "", ""}},
        {"Z: ", {"Z: ", "Virtual", "xxxxx", "", "10.00 GB", "5.00 GB", "5.00 GB", "5,368,709,120", "NTFS",
                 "7777 - 7777", "    50.0%", "Visible", "", ""}},
    };
    for (const auto& [caption, fields] : expected) {
        ASSERT_TRUE(rows.count(caption)) << caption;
        EXPECT_EQ(rows.at(caption), fields) << caption;
    }
}

TEST(FullMachine, OpticalRowsShowAKnownKind) {
    const auto rows = listRows();
    const std::set<std::string> kinds = {"", "DVD-RW", "DVD-R", "CD-RW", "CD-R"};
    for (const char* caption : {"J: ", "K: "}) {
        ASSERT_TRUE(rows.count(caption)) << caption;
        const Fields& row = rows.at(caption);
        EXPECT_EQ(row[2], "CD / DVD Drive");
        EXPECT_TRUE(kinds.count(row[3])) << row[3];
    }
    EXPECT_EQ(rows.at("J: ")[4], "700.00 MB");
    EXPECT_EQ(rows.at("J: ")[7], "0");
    EXPECT_EQ(rows.at("J: ")[10], "     0.0%");
    EXPECT_EQ(rows.at("J: ")[12], "TSSTcorp");
    EXPECT_EQ(rows.at("K: ")[1], "Not mounted");
}

TEST(FullMachine, FloppyAppearsOnlyWithIncludeAb) {
    EXPECT_FALSE(listRows().count("A: "));
    const auto rows = listRows({"--include-ab"});
    ASSERT_TRUE(rows.count("A: "));
    EXPECT_EQ(rows.at("A: ")[1], "Not mounted");
    EXPECT_EQ(rows.at("A: ")[2], "Removable Disk");
}

TEST(FullMachine, ExcludingLocalAndNotMountedDropsEachRowOnce) {
    const auto rows = listRows({"--exclude", "local,notmounted"});
    std::string letters;
    for (const auto& [caption, fields] : rows) letters += caption.substr(0, 1);
    EXPECT_EQ(letters, "HJNRUXZ");
}

}  // namespace
}  // namespace zv::cli
