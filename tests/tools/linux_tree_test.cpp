// The management query and the volume names of the real machine, on recorded system trees.
#include "platform/linux/linux_context.h"
#include "platform/linux/linux_parts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zv::lnx {
namespace {

namespace fs = std::filesystem;

class RecordedTree : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("zv-tools-tree-" + std::to_string(::getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }

    void write(const std::string& path, const std::string& text) {
        const fs::path full = m_root / path.substr(1);
        fs::create_directories(full.parent_path());
        std::ofstream(full) << text;
    }
    void link(const std::string& path, const std::string& target) {
        const fs::path full = m_root / path.substr(1);
        fs::create_directories(full.parent_path());
        fs::create_directory_symlink(target, full);
    }
    // A whole disk: its device folder under /sys/devices and the /sys/block link to it.
    void disk(const std::string& name, const std::string& devicePath, const std::string& dev, const std::string& size,
              bool removable, const std::string& vendor, const std::string& model) {
        const std::string folder = "/sys" + devicePath + "/block/" + name;
        write(folder + "/dev", dev + "\n");
        write(folder + "/size", size + "\n");
        write(folder + "/removable", removable ? "1\n" : "0\n");
        write(folder + "/ro", "0\n");
        write(folder + "/queue/logical_block_size", "512\n");
        write("/sys" + devicePath + "/vendor", vendor + "\n");
        write("/sys" + devicePath + "/model", model + "\n");
        fs::create_directories(m_root / "sys/block");
        fs::create_directory_symlink(".." + devicePath + "/block/" + name, m_root / "sys/block" / name);
        fs::create_directory_symlink("../..", m_root / ("sys" + devicePath + "/block/" + name + "/device"));
    }

    LinuxContext context() {
        LinuxOptions options;
        options.sysRoot = m_root.string();
        return LinuxContext(options);
    }

    fs::path m_root;
};

const platform::ManagementValue* value(const platform::ManagementObject& row, const char* name) {
    return row.find(name);
}

TEST_F(RecordedTree, OneManagementRowPerWholeDisk) {
    disk("sda", "/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0", "8:0", "976773168", false, "ATA",
         "Samsung SSD 860");
    disk("sdb", "/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0", "8:16", "15625008",
         true, "SanDisk", "Cruzer Blade");
    disk("loop0", "/devices/virtual", "7:0", "2048", false, "", "");
    write("/run/udev/data/b8:16", "E:ID_BUS=usb\nE:ID_PATH=pci-0000:00:14.0-usb-0:1:1.0-scsi-0:0:0:0\n"
                                  "E:ID_MODEL_ENC=Cruzer\\x20Blade\\x20\\x20\nE:ID_VENDOR_ENC=SanDisk\\x20\n");
    LinuxContext ctx = context();
    auto management = makeLinuxManagement(ctx);
    std::vector<platform::ManagementObject> rows;
    std::string error;
    ASSERT_EQ(management->ExecQuery(".", "", "SELECT * FROM Win32_DiskDrive", &rows, &error), S_OK) << error;
    ASSERT_EQ(rows.size(), 2u);  // the loop device is no disk drive

    EXPECT_EQ(value(rows[0], "InterfaceType")->text, "IDE");
    EXPECT_EQ(value(rows[0], "MediaType")->text, "Fixed hard disk media");
    EXPECT_EQ(value(rows[0], "Model")->text, "Samsung SSD 860");
    EXPECT_EQ(value(rows[0], "Size")->integer, 976773168LL * 512);
    EXPECT_EQ(value(rows[0], "TotalSectors")->integer, 976773168LL);
    EXPECT_EQ(value(rows[0], "Capabilities")->array, (std::vector<int64_t>{3, 4}));

    EXPECT_EQ(value(rows[1], "InterfaceType")->text, "USB");
    EXPECT_EQ(value(rows[1], "PNPDeviceID")->text, "pci-0000:00:14.0-usb-0:1:1.0-scsi-0:0:0:0");
    EXPECT_EQ(value(rows[1], "MediaType")->text, "Removable Media");
    EXPECT_EQ(value(rows[1], "Model")->text, "SanDisk Cruzer Blade");
    EXPECT_EQ(value(rows[1], "Capabilities")->array, (std::vector<int64_t>{3, 4, 7}));
    EXPECT_EQ(value(rows[1], "BytesPerSector")->integer, 512);
    EXPECT_EQ(value(rows[1], "Status")->text, "OK");
    EXPECT_EQ(value(rows[1], "Description")->text, "Disk drive");

    EXPECT_NE(management->ExecQuery(".", "", "SELECT * FROM Win32_Volume", &rows, &error), S_OK);
}

TEST_F(RecordedTree, VolumeNamesForEveryFileSystemWithAUuid) {
    for (const char* name : {"sda", "sda1", "sda2", "sda3", "sdb1"}) {
        write(std::string("/sys/class/block/") + name + "/size", "2048\n");
    }
    write("/sys/class/block/sda/dev", "8:0\n");
    write("/sys/class/block/sda1/dev", "8:1\n");
    write("/sys/class/block/sda2/dev", "8:2\n");
    write("/sys/class/block/sda3/dev", "8:3\n");
    write("/sys/class/block/sdb1/dev", "8:17\n");
    write("/run/udev/data/b8:0", "E:ID_PART_TABLE_TYPE=gpt\n");
    write("/run/udev/data/b8:1", "E:ID_FS_USAGE=filesystem\nE:ID_FS_UUID=2f1c0a4e-aaaa-4bbb-8ccc-000000000001\n");
    write("/run/udev/data/b8:2", "E:ID_FS_USAGE=raid\nE:ID_FS_UUID=99999999-0000-0000-0000-000000000000\n");
    write("/run/udev/data/b8:3", "E:ID_FS_USAGE=filesystem\nE:ID_FS_UUID_ENC=1A2B-3C4D\n");
    // No udev record for sdb1: the by-uuid link names it.
    link("/dev/disk/by-uuid/7e57c0de-0000-4000-8000-00000000000b", "../../sdb1");
    LinuxContext ctx = context();
    EXPECT_EQ(linuxVolumeNames(ctx), (std::vector<std::string>{"\\\\?\\Volume{2f1c0a4e-aaaa-4bbb-8ccc-000000000001}\\",
                                                               "\\\\?\\Volume{1A2B-3C4D}\\",
                                                               "\\\\?\\Volume{7e57c0de-0000-4000-8000-00000000000b}\\"}));
}

}  // namespace
}  // namespace zv::lnx
