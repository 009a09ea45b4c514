// NVMe disks on the Linux backend, checked through recorded exchanges on the ioctl seam:
// recognition by the place of the namespace in sysfs, the exact admin commands behind the
// protocol-specific storage queries, the replies built from them, the refusals, and the
// whole health read of the S.M.A.R.T. logic on a recorded machine.
#include <gtest/gtest.h>

#include "fake_disk_seam.h"
#include "platform/api/storage_protocol.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/storage_property.h"
#include "platform/linux/sysfs.h"
#include "smart/nvme_access.h"

using namespace zv::lnx;
using namespace zv::win;
using zv::lnx::test::FakeDiskSeam;
using zv::lnx::test::RecordedTree;
using zv::lnx::test::ScriptedAnswer;
namespace platform = zv::platform;

namespace {

constexpr const char* kController = "/sys/devices/pci0000:00/0000:00:04.0/nvme/nvme0";

// A namespace as the kernel places it: directly under its controller (no "block" folder).
void nvmeNamespace(RecordedTree& tree, const std::string& parent, const std::string& name) {
    const std::string dir = parent + "/" + name;
    tree.file(dir + "/dev", "259:0\n");
    tree.file(dir + "/size", "1048576\n");
    tree.file(dir + "/removable", "0\n");
    tree.link(dir + "/device", "../../" + parent.substr(parent.rfind('/') + 1));
    tree.link("/sys/block/" + name, ".." + dir.substr(4));
}

std::vector<uint8_t> page(size_t size, std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    std::vector<uint8_t> out(size, 0);
    for (const auto& [at, value] : bytes) out[at] = value;
    return out;
}

// The health log of QEMU's controller: 323 K, data units read 46, power-on hours 2.
std::vector<uint8_t> healthLog() { return page(512, {{1, 0x43}, {2, 0x01}, {32, 46}, {128, 2}}); }

class NvmeCommands : public testing::Test {
protected:
    NvmeCommands() {
        nvmeNamespace(tree, kController, "nvme0n1");
        LinuxOptions options;
        options.sysRoot = tree.root();
        options.seam = &seam;
        ctx = std::make_unique<LinuxContext>(options);
        disk.kind = HandleKind::PhysicalDisk;
        disk.fd = 100;
        disk.node = "/dev/nvme0n1";
        disk.physicalDrive = 0;
    }

    BOOL query(DWORD property, DWORD dataType, DWORD value, DWORD subValue, DWORD length, DWORD outSize = 0) {
        buffer = platform::buildNvmeProtocolQuery(property, dataType, value, subValue, length);
        if (outSize) buffer.resize(outSize);
        returned = 0;
        return storagePropertyQuery(*ctx, disk, buffer.data(), platform::ProtocolQueryLayout::Size,
                                    buffer.data(), DWORD(buffer.size()), &returned);
    }

    RecordedTree tree;
    FakeDiskSeam seam;
    std::unique_ptr<LinuxContext> ctx;
    HandleEntry disk;
    std::vector<uint8_t> buffer;
    DWORD returned = 0;
};

}  // namespace

TEST_F(NvmeCommands, NamespacesUnderAControllerOrSubsystemAreNvme) {
    EXPECT_EQ(busTypeOf(tree.root(), tree.root() + kController + "/nvme0n1"), BusTypeNvme);
    // Native multipath: the namespace hangs under its subsystem.
    EXPECT_EQ(
        busTypeOf(tree.root(), tree.root() + "/sys/devices/virtual/nvme-subsystem/nvme-subsys0/nvme0n1"),
        BusTypeNvme);
    // The place decides, not the name: a disk of another name under a controller, also with a
    // "block" folder between them, is NVMe.
    EXPECT_EQ(busTypeOf(tree.root(), tree.root() + kController + "/disk7"), BusTypeNvme);
    EXPECT_EQ(busTypeOf(tree.root(), tree.root() + kController + "/block/disk7"), BusTypeNvme);
    tree.disk("sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0", "8:0");
    EXPECT_NE(busTypeOf(tree.root(), resolveUnderRoot(tree.root(), "/sys/block/sda")), BusTypeNvme);

    // The device descriptor of the handle says so.
    uint8_t in[12] = {};
    std::vector<uint8_t> out(512, 0);
    ASSERT_TRUE(storagePropertyQuery(*ctx, disk, in, sizeof in, out.data(), DWORD(out.size()), &returned));
    EXPECT_EQ(zv::codec::getLe32(&out[28]), BusTypeNvme);
}

TEST_F(NvmeCommands, HealthLogIsGetLogPageForTheWholeController) {
    ScriptedAnswer answer;
    answer.data = healthLog();
    answer.nvmeResult = 0x1234;
    seam.answers.push_back(answer);
    ASSERT_TRUE(
        query(platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeLogPage, 2, 0, 512))
        << ctx->lastError();
    ASSERT_EQ(seam.exchanges.size(), 1u);
    const nvme_admin_cmd& sent = seam.exchanges[0].nvme;
    EXPECT_EQ(seam.exchanges[0].request, static_cast<unsigned long>(NVME_IOCTL_ADMIN_CMD));
    EXPECT_EQ(sent.opcode, 0x02);
    EXPECT_EQ(sent.nsid, 0xFFFFFFFFu);
    EXPECT_EQ(sent.cdw10, 0x007F0002u) << "127 dwords to go (0's based) and log 02h";
    EXPECT_EQ(sent.cdw11, 0u);
    EXPECT_EQ(sent.cdw12, 0u);
    EXPECT_EQ(sent.data_len, 512u);
    EXPECT_GE(sent.timeout_ms, 1000u);

    EXPECT_EQ(returned, 48u + 512u);
    EXPECT_EQ(zv::codec::getLe32(&buffer[0]), 48u) << "Version";
    EXPECT_EQ(zv::codec::getLe32(&buffer[4]), 48u) << "Size";
    const auto answered = platform::StorageProtocolSpecificData::decode(&buffer[8]);
    EXPECT_EQ(answered.dataOffset, 40u);
    EXPECT_EQ(answered.dataLength, 512u);
    EXPECT_EQ(answered.fixedReturnData, 0x1234u);
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin() + 48, buffer.end()), healthLog());
}

TEST_F(NvmeCommands, IdentifyControllerAndTheHandlesOwnNamespace) {
    ScriptedAnswer controller;
    controller.data = page(4096, {{24, 'Q'}});
    seam.answers.push_back(controller);
    ASSERT_TRUE(
        query(platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeIdentify, 1, 0, 4096));
    ASSERT_EQ(seam.exchanges.size(), 1u);
    EXPECT_EQ(seam.exchanges[0].nvme.opcode, 0x06);
    EXPECT_EQ(seam.exchanges[0].nvme.nsid, 0u);
    EXPECT_EQ(seam.exchanges[0].nvme.cdw10, 1u);
    EXPECT_EQ(seam.exchanges[0].nvme.data_len, 4096u);
    EXPECT_EQ(buffer[48 + 24], 'Q');

    // Sub value 0: the namespace the node is, as NVME_IOCTL_ID tells.
    seam.exchanges.clear();
    ScriptedAnswer id;
    id.returnValue = 3;
    seam.answers.push_back(id);
    ScriptedAnswer space;
    space.data = page(4096, {{0, 0x10}});
    seam.answers.push_back(space);
    ASSERT_TRUE(
        query(platform::StorageDeviceProtocolSpecificProperty, platform::NVMeDataTypeIdentify, 0, 0, 4096));
    ASSERT_EQ(seam.exchanges.size(), 2u);
    EXPECT_EQ(seam.exchanges[0].request, static_cast<unsigned long>(NVME_IOCTL_ID));
    EXPECT_EQ(seam.exchanges[1].nvme.opcode, 0x06);
    EXPECT_EQ(seam.exchanges[1].nvme.nsid, 3u);
    EXPECT_EQ(seam.exchanges[1].nvme.cdw10, 0u);
    EXPECT_EQ(buffer[48], 0x10);
}

TEST_F(NvmeCommands, RefusalsAndControllerErrors) {
    ScriptedAnswer denied;
    denied.error = EACCES;
    seam.answers.push_back(denied);
    EXPECT_FALSE(
        query(platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeLogPage, 2, 0, 512));
    EXPECT_EQ(ctx->lastError(), ERROR_ACCESS_DENIED);

    ScriptedAnswer invalidField;
    invalidField.returnValue = 0x4002;  // Invalid Field in Command, Do Not Retry
    seam.answers.push_back(invalidField);
    EXPECT_FALSE(
        query(platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeLogPage, 2, 0, 512));
    EXPECT_EQ(ctx->lastError(), ERROR_IO_DEVICE);

    // Refused before the controller: no exchange at all.
    seam.exchanges.clear();
    EXPECT_FALSE(query(platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeLogPage, 2, 0,
                       512, 559));
    EXPECT_EQ(ctx->lastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_FALSE(
        query(platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeLogPage, 2, 0, 510));
    EXPECT_EQ(ctx->lastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(query(platform::StorageAdapterProtocolSpecificProperty, 3 /* feature */, 2, 0, 512));
    EXPECT_EQ(ctx->lastError(), ERROR_NOT_SUPPORTED);
    disk.fd = -1;  // a node this user may not open
    EXPECT_FALSE(
        query(platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeLogPage, 2, 0, 512));
    EXPECT_EQ(ctx->lastError(), ERROR_ACCESS_DENIED);
    disk.fd = 100;
    tree.disk("sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0", "8:0");
    disk.node = "/dev/sda";
    EXPECT_FALSE(
        query(platform::StorageAdapterProtocolSpecificProperty, platform::NVMeDataTypeLogPage, 2, 0, 512));
    EXPECT_EQ(ctx->lastError(), ERROR_NOT_SUPPORTED) << "a SATA disk is sent no NVMe command";
    EXPECT_TRUE(seam.exchanges.empty());
}

TEST(NvmeHealthRead, TheLogicReadsARecordedNvmeMachine) {
    RecordedTree tree;
    nvmeNamespace(tree, kController, "nvme0n1");
    FakeDiskSeam seam;
    seam.nodes[tree.root() + "/dev/nvme0n1"] = 100;
    ScriptedAnswer controller;
    controller.data = page(4096, {{4, 'S'}, {5, '1'}, {24, 'Q'}, {25, 'E'}, {26, 'M'}, {27, 'U'}, {64, '7'}});
    ScriptedAnswer id;
    id.returnValue = 1;
    ScriptedAnswer space;
    space.data = page(4096, {{1, 0x08}, {130, 12}});  // 2048 blocks of 4096 bytes
    ScriptedAnswer log;
    log.data = healthLog();
    for (const auto& a : {controller, id, space, log}) seam.answers.push_back(a);

    LinuxOptions options;
    options.sysRoot = tree.root();
    options.seam = &seam;
    auto p = makeLinuxPlatform(options);
    ASSERT_TRUE(zv::smart::IsNvmeDisk(*p, 0));
    zv::smart::NvmeReadout readout;
    std::string error;
    ASSERT_TRUE(zv::smart::ReadNvmeHealth(*p, 0, readout, error)) << error;
    EXPECT_EQ(readout.identity.model, "QEMU");
    EXPECT_EQ(readout.identity.serial, "S1");
    EXPECT_EQ(readout.identity.firmware, "7");
    EXPECT_EQ(readout.sizeBytes, 2048 * 4096);
    EXPECT_EQ(readout.health.temperatureCelsius(), 50);
    EXPECT_EQ(readout.health.dataUnitsRead.low, 46u);
    EXPECT_EQ(readout.health.powerOnHours.low, 2u);
    std::vector<uint8_t> opcodes;
    for (const auto& e : seam.exchanges)
        if (e.request == NVME_IOCTL_ADMIN_CMD) opcodes.push_back(e.nvme.opcode);
    EXPECT_EQ(opcodes, (std::vector<uint8_t>{0x06, 0x06, 0x02}));
}
