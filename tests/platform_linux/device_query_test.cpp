// Device handles of letters and physical disks on recorded machines: the storage property
// and the inquiry data that answer for devices this user may not open.
#include "fake_seam.h"
#include "platform/api/codec.h"
#include "platform/api/pass_through.h"
#include "platform/linux/storage_property.h"

#include <fcntl.h>
#include <gtest/gtest.h>

namespace zv::lnx::test {
namespace {

using namespace zv::win;

struct Property {
    BOOL ok = FALSE;
    uint8_t removable = 0;
    DWORD bus = 0;
    DWORD returned = 0;
    DWORD error = 0;
    std::string vendor;
};

Property storageProperty(platform::Platform& p, const char* path, DWORD outSize = 548) {
    Property result;
    HANDLE h = p.io().CreateFileW(std::u16string(path, path + std::strlen(path)).c_str(), 0, 3, OPEN_EXISTING, 0);
    if (h == INVALID_HANDLE_VALUE) return result;
    uint8_t query[12] = {};
    std::vector<uint8_t> out(548, 0);
    codec::putLe32(&out[4], 548);
    result.ok = p.io().DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, query, 12, out.data(), outSize, &result.returned);
    result.error = p.GetLastError();
    result.removable = out[10];
    result.bus = codec::getLe32(&out[28]);
    uint32_t vendorOffset = codec::getLe32(&out[12]);
    if (vendorOffset && vendorOffset < out.size()) result.vendor = reinterpret_cast<const char*>(&out[vendorOffset]);
    p.io().CloseHandle(h);
    return result;
}

TEST(DeviceQueries, BusAndRemovableMediaOfEachMachine) {
    struct Case {
        const char* machine;
        const char* path;
        DWORD bus;
        uint8_t removable;
        const char* vendor;
    };
    const Case cases[] = {
        {"laptop", "\\\\.\\C:", BusTypeNvme, 0, ""},
        {"laptop", "\\\\.\\F:", BusTypeUsb, 1, "Generic-"},   // card reader
        {"laptop", "\\\\.\\G:", BusTypeUsb, 1, "SanDisk"},    // stick
        {"desktop", "\\\\.\\C:", BusTypeSata, 0, "ATA"},
        {"desktop", "\\\\.\\E:", BusTypeSata, 1, "HL-DT-ST"}, // DVD writer
        {"desktop", "\\\\.\\PhysicalDrive0", BusTypeSata, 0, "ATA"},
        {"server", "\\\\.\\C:", BusTypeSas, 0, "SEAGATE"},
    };
    for (const Case& c : cases) {
        RecordedTree tree(c.machine);
        RefusingSeam seam;
        auto p = makeLinuxPlatform(treeOptions(tree, &seam));
        Property property = storageProperty(*p, c.path);
        SCOPED_TRACE(std::string(c.machine) + " " + c.path);
        ASSERT_TRUE(property.ok);
        EXPECT_EQ(property.bus, c.bus);
        EXPECT_EQ(property.removable, c.removable);
        EXPECT_EQ(property.vendor, c.vendor);
    }
}

TEST(DeviceQueries, DescriptorIsCutToTheCallersBuffer) {
    StorageFacts facts;
    facts.vendor = "SanDisk";
    facts.product = "Ultra";
    facts.revision = "1.00";
    facts.serial = "4C53";
    facts.removableMedia = true;
    facts.busType = BusTypeUsb;
    std::vector<uint8_t> bytes = deviceDescriptor(facts);
    ASSERT_EQ(bytes.size(), 40u + 8 + 6 + 5 + 5);
    EXPECT_EQ(codec::getLe32(&bytes[0]), 40u);
    EXPECT_EQ(codec::getLe32(&bytes[4]), bytes.size());
    EXPECT_EQ(bytes[10], 1);
    EXPECT_EQ(codec::getLe32(&bytes[28]), BusTypeUsb);
    EXPECT_EQ(codec::getLe32(&bytes[12]), 40u);
    EXPECT_STREQ(reinterpret_cast<const char*>(&bytes[codec::getLe32(&bytes[16])]), "Ultra");

    RecordedTree tree("laptop");
    RefusingSeam seam;
    auto p = makeLinuxPlatform(treeOptions(tree, &seam));
    Property cut = storageProperty(*p, "\\\\.\\G:", 28);  // up to BusType, not including it
    ASSERT_TRUE(cut.ok);
    EXPECT_EQ(cut.returned, 28u);
    EXPECT_EQ(cut.removable, 1);
    EXPECT_EQ(cut.bus, 0u);
    Property tiny = storageProperty(*p, "\\\\.\\G:", 4);
    EXPECT_FALSE(tiny.ok);
    EXPECT_EQ(tiny.error, ERROR_INSUFFICIENT_BUFFER);
}

TEST(DeviceQueries, InquiryOfADeviceTheUserMayNotOpenComesFromSysfs) {
    RecordedTree tree("desktop");
    RefusingSeam seam;
    auto p = makeLinuxPlatform(treeOptions(tree, &seam));
    HANDLE h = p->io().CreateFileA("\\\\.\\E:", GENERIC_READ | GENERIC_WRITE, 3, OPEN_EXISTING, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);  // refused by the kernel, yet a handle for queries
    ASSERT_EQ(seam.opened.size(), 2u);   // read-write, then read-only
    EXPECT_EQ(seam.opened[0], tree.root() + "/dev/sr0");
    EXPECT_EQ(seam.openFlags[0] & O_ACCMODE, O_RDWR);
    EXPECT_TRUE(seam.openFlags[0] & O_NONBLOCK);
    EXPECT_EQ(seam.openFlags[1] & O_ACCMODE, O_RDONLY);

    platform::PassThroughRequest request;
    const uint8_t inquiry[6] = {0x12, 0, 0, 0, 100, 0};
    request.build({6, 24, 100, 2}, inquiry, 6);
    uint8_t data[100];
    std::memset(data, 0xEE, sizeof data);
    DWORD returned = 0;
    ASSERT_TRUE(p->io().ScsiPassThroughDirect(h, request.data(), request.size(), data, &returned));
    EXPECT_EQ(request.scsiStatus(), 0);
    EXPECT_EQ(data[0], 5);  // CD/DVD device
    EXPECT_EQ(codec::zeroTerminated(data + 8, 92), "HL-DT-STDVDRAM GH24NSD1 LG00");
    EXPECT_EQ(data[60], 0);  // zero-filled up to the allocation length
    EXPECT_EQ(data[99], 0);

    // Commands other than INQUIRY need the device itself.
    const uint8_t testUnitReady[6] = {0, 0, 0, 0, 0, 0};
    request.build({6, 24, 0, 2}, testUnitReady, 6);
    EXPECT_FALSE(p->io().ScsiPassThroughDirect(h, request.data(), request.size(), nullptr, &returned));
    EXPECT_EQ(p->GetLastError(), ERROR_ACCESS_DENIED);
    p->io().CloseHandle(h);

    // An exclusive reader (a door lock request) does not ask the kernel for O_EXCL: a
    // mounted file system would refuse it. Other programs holding the node are looked up.
    HANDLE reader = p->io().CreateFileA("\\\\.\\C:", GENERIC_READ, 0, OPEN_EXISTING, 0);
    EXPECT_FALSE(seam.openFlags.back() & O_EXCL);
    if (reader != INVALID_HANDLE_VALUE) p->io().CloseHandle(reader);
    // An exclusive writer of a busy device ("Drive In Use": mounted, or opened exclusively).
    seam.refusal = EBUSY;
    EXPECT_EQ(p->io().CreateFileA("\\\\.\\C:", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(p->GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(seam.openFlags.back() & O_EXCL);
    // Drivers of the old family and disks beyond the last one do not exist.
    EXPECT_EQ(p->io().CreateFileA("\\\\.\\SMARTVSD", 0, 0, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(p->io().CreateFileA("\\\\.\\PhysicalDrive1", 0, 3, OPEN_EXISTING, 0), INVALID_HANDLE_VALUE);
}

}  // namespace
}  // namespace zv::lnx::test
