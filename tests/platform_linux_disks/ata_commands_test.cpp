// The S.M.A.R.T. driver requests of the Linux backend, checked through recorded exchanges on
// the ioctl seam: the exact ATA PASS-THROUGH (16) blocks, the replies built from them, and
// the fallbacks without the right to send commands.
#include "fake_disk_seam.h"

#include "platform/api/disk_requests.h"
#include "platform/linux/ata_pass_through.h"
#include "platform/linux/error_words.h"
#include "platform/linux/linux_parts.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace zv::lnx;
using namespace zv::win;
using zv::lnx::test::FakeDiskSeam;
using zv::lnx::test::RecordedTree;
using zv::lnx::test::ScriptedAnswer;
namespace platform = zv::platform;

namespace {

std::vector<uint8_t> bytes(const char* hex) {
    std::vector<uint8_t> out;
    unsigned v = 0;
    int n = 0;
    while (std::sscanf(hex, " %2x%n", &v, &n) == 1) {
        out.push_back(uint8_t(v));
        hex += n;
    }
    return out;
}

std::vector<uint8_t> request(uint8_t features, uint8_t count, uint8_t number, uint8_t low, uint8_t high,
                             uint8_t command, uint32_t bufferSize = 512, uint8_t drive = 0, uint8_t head = 0xA0) {
    platform::SendCmdInParams r;
    r.bufferSize = bufferSize;
    r.regs = {features, count, number, low, high, head, command, 0};
    r.driveNumber = drive;
    std::vector<uint8_t> in(32);
    r.encode(in.data());
    return in;
}
std::vector<uint8_t> readData() { return request(0xD0, 1, 1, 0x4F, 0xC2, 0xB0); }
std::vector<uint8_t> readThresholds() { return request(0xD1, 1, 1, 0x4F, 0xC2, 0xB0); }
std::vector<uint8_t> identify() { return request(0, 1, 1, 0, 0, 0xEC); }
std::vector<uint8_t> enable() { return request(0xD8, 1, 1, 0x4F, 0xC2, 0xB0, 0); }

std::vector<uint8_t> identifyPage() {
    std::vector<uint8_t> page(512, 0);
    const char serial[] = "ABCD1234            ";  // as the drive stores it, swapped below
    for (int i = 0; i < 20; i += 2) {
        page[size_t(20 + i)] = uint8_t(serial[i + 1]);
        page[size_t(21 + i)] = uint8_t(serial[i]);
    }
    page[120] = 0x00;
    page[121] = 0x10;  // 0x1000 sectors
    return page;
}

std::string idWords(const std::vector<uint8_t>& page) {
    std::string text;
    char word[8];
    for (size_t w = 0; w < 256; ++w) {
        std::snprintf(word, sizeof word, "%04x", unsigned(page[2 * w] | (page[2 * w + 1] << 8)));
        text += word;
        text += (w % 8 == 7) ? "\n" : " ";
    }
    return text;
}

class AtaCommands : public testing::Test {
protected:
    AtaCommands() {
        tree.disk("sda", "pci0000:00/0000:00:1f.2/ata3/host2/target2:0:0/2:0:0:0", "8:0");
        tree.file("/sys/class/ata_device/dev3.0/id", idWords(identifyPage()));
        LinuxOptions options;
        options.sysRoot = tree.root();
        options.seam = &seam;
        ctx = std::make_unique<LinuxContext>(options);
        disk.kind = HandleKind::PhysicalDisk;
        disk.fd = 100;
        disk.node = "/dev/sda";
        disk.physicalDrive = 0;
    }

    BOOL send(DWORD code, const std::vector<uint8_t>& in, DWORD outSize = 528) {
        reply.assign(outSize, 0xEE);
        returned = 0;
        BOOL result = FALSE;
        EXPECT_TRUE(diskDeviceControl(*ctx, disk, code, in.data(), DWORD(in.size()), reply.data(), outSize, &returned,
                                      &result));
        return result;
    }

    RecordedTree tree;
    FakeDiskSeam seam;
    std::unique_ptr<LinuxContext> ctx;
    HandleEntry disk;
    std::vector<uint8_t> reply;
    DWORD returned = 0;
};

}  // namespace

TEST_F(AtaCommands, EachRequestBecomesItsPassThroughBlock) {
    struct Case {
        DWORD code;
        std::vector<uint8_t> in;
        const char* cdb;
        int direction;
        unsigned length;
    };
    const Case cases[] = {
        {SMART_RCV_DRIVE_DATA, readData(), "85 08 0E 00 D0 00 01 00 00 00 4F 00 C2 00 B0 00", SG_DXFER_FROM_DEV, 512},
        {SMART_RCV_DRIVE_DATA, readThresholds(), "85 08 0E 00 D1 00 01 00 01 00 4F 00 C2 00 B0 00", SG_DXFER_FROM_DEV, 512},
        {SMART_RCV_DRIVE_DATA, identify(), "85 08 0E 00 00 00 01 00 00 00 00 00 00 00 EC 00", SG_DXFER_FROM_DEV, 512},
        {SMART_SEND_DRIVE_COMMAND, enable(), "85 06 00 00 D8 00 00 00 01 00 4F 00 C2 00 B0 00", SG_DXFER_NONE, 0},
    };
    for (const auto& c : cases) {
        seam.exchanges.clear();
        ScriptedAnswer answer;
        answer.data.assign(512, 0x5A);
        seam.answers.push_back(answer);
        ASSERT_TRUE(send(c.code, c.in)) << c.cdb;
        ASSERT_EQ(seam.exchanges.size(), 1u);
        EXPECT_EQ(seam.exchanges[0].request, static_cast<unsigned long>(SG_IO));
        EXPECT_EQ(seam.exchanges[0].cdb, bytes(c.cdb));
        EXPECT_EQ(seam.exchanges[0].direction, c.direction);
        EXPECT_EQ(seam.exchanges[0].length, c.length);
        EXPECT_GE(seam.exchanges[0].timeout, 60000u);
        if (c.length) {
            EXPECT_EQ(returned, 528u);
            EXPECT_EQ(zv::codec::getLe32(reply.data()), 512u);
            EXPECT_EQ(reply[4], 0);
            EXPECT_EQ(reply[16], 0x5A);
            EXPECT_EQ(reply[527], 0x5A);
        } else {
            EXPECT_EQ(returned, 16u);
        }
    }
}

TEST_F(AtaCommands, DeviceAbortComesBackAsDriverAndIdeError) {
    ScriptedAnswer aborted;
    aborted.status = 0x02;  // CHECK CONDITION, descriptor sense with the ATA Return descriptor
    aborted.sense = bytes("72 01 00 1D 00 00 00 0E 09 0C 00 04 00 00 00 00 00 00 00 00 00 51");
    seam.answers.push_back(aborted);
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, readData()));
    EXPECT_EQ(ctx->lastError(), ERROR_IO_DEVICE);
    EXPECT_EQ(reply[4], platform::SMART_IDE_ERROR);
    EXPECT_EQ(reply[5], 0x04);

    ScriptedAnswer recovered = aborted;  // the usual answer of a SAT layer: no ERR bit
    recovered.sense[21] = 0x50;
    recovered.data.assign(512, 7);
    seam.answers.push_back(recovered);
    EXPECT_TRUE(send(SMART_RCV_DRIVE_DATA, readData()));
    EXPECT_EQ(reply[16], 7);

    ScriptedAnswer illegal;  // a bridge without ATA PASS-THROUGH, fixed-format sense
    illegal.status = 0x02;
    illegal.sense = bytes("70 00 05 00 00 00 00 0A 00 00 00 00 20 00");
    seam.answers.push_back(illegal);
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, readData()));
    EXPECT_EQ(ctx->lastError(), ERROR_NOT_SUPPORTED);
}

TEST_F(AtaCommands, WithoutTheRightToSendIdentifyComesFromSysfs) {
    ScriptedAnswer refused;
    refused.error = EPERM;
    seam.answers.push_back(refused);
    ASSERT_TRUE(send(SMART_RCV_DRIVE_DATA, identify()));
    EXPECT_EQ(std::vector<uint8_t>(reply.begin() + 16, reply.begin() + 528), identifyPage());

    seam.answers.push_back(refused);
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, readData()));
    EXPECT_EQ(ctx->lastError(), ERROR_ACCESS_DENIED);

    // A node the user may not open: no command is sent at all.
    disk.fd = -1;
    seam.exchanges.clear();
    ASSERT_TRUE(send(SMART_RCV_DRIVE_DATA, identify()));
    EXPECT_EQ(reply[16 + 20], identifyPage()[20]);
    EXPECT_FALSE(send(SMART_SEND_DRIVE_COMMAND, enable()));
    EXPECT_EQ(ctx->lastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(seam.exchanges.empty());
}

TEST_F(AtaCommands, MalformedRequestsAreRefusedBeforeTheDisk) {
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, request(0xD0, 1, 1, 0x00, 0x00, 0xB0)));  // no 4F/C2
    EXPECT_EQ(reply[4], platform::SMART_INVALID_REGISTER);
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, request(0xD0, 1, 1, 0x4F, 0xC2, 0xB0, 512, 1, 0xB0)));  // device 1
    EXPECT_EQ(reply[4], platform::SMART_NO_IDE_DEVICE);
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, request(0xD5, 1, 1, 0x4F, 0xC2, 0xB0)));  // READ LOG: not ours
    EXPECT_EQ(reply[4], platform::SMART_INVALID_COMMAND);
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, readData(), 527));
    EXPECT_EQ(ctx->lastError(), ERROR_INSUFFICIENT_BUFFER);
    auto shortInput = readData();
    shortInput.resize(31);
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, shortInput));
    EXPECT_EQ(ctx->lastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(seam.exchanges.empty());
}

TEST_F(AtaCommands, VersionSynthesisesTheDeviceMap) {
    ASSERT_TRUE(send(SMART_GET_VERSION, {}, 24));
    const auto v = platform::GetVersionOutParams::decode(reply.data());
    EXPECT_EQ(v.ideDeviceMap, 0x01);
    EXPECT_TRUE(v.capabilities & platform::CAP_SMART_CMD);
    EXPECT_FALSE(send(SMART_GET_VERSION, {}, 23));
}

TEST_F(AtaCommands, LegacyIdeDiskTakesDriveCommands) {
    tree.disk("hda", "pci0000:00/0000:00:01.1/ide0/0.0", "3:0");
    disk.node = "/dev/hda";
    ScriptedAnswer answer;
    answer.data.assign(512, 0x33);
    seam.answers.push_back(answer);
    ASSERT_TRUE(send(SMART_RCV_DRIVE_DATA, readData()));
    ASSERT_EQ(seam.exchanges.size(), 1u);
    EXPECT_EQ(seam.exchanges[0].request, static_cast<unsigned long>(HDIO_DRIVE_CMD));
    EXPECT_EQ(seam.exchanges[0].hdio, bytes("B0 00 D0 01"));
    EXPECT_EQ(reply[16], 0x33);
}

TEST_F(AtaCommands, DisksWithoutAtaAreNotSentCommands) {
    disk.node = "/dev/nvme0n1";
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, identify()));
    EXPECT_EQ(ctx->lastError(), ERROR_INVALID_FUNCTION);
    EXPECT_TRUE(seam.exchanges.empty());
}

// The refusal's message names the disk and says why in Linux terms, not "Incorrect function".
TEST_F(AtaCommands, RefusalsSayWhyInLinuxTerms) {
    disk.node = "/dev/vda";
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, identify()));
    EXPECT_EQ(reply[4], platform::SMART_INVALID_IOCTL);
    const std::string virtio = explanationOfCode(ERROR_INVALID_FUNCTION);
    EXPECT_NE(virtio.find("vda is a virtual machine's disk"), std::string::npos) << virtio;

    disk.node = "/dev/sda";
    disk.fd = -1;  // the user may not open the disk
    EXPECT_FALSE(send(SMART_RCV_DRIVE_DATA, readData()));
    EXPECT_EQ(ctx->lastError(), ERROR_ACCESS_DENIED);
    const std::string denied = explanationOfCode(ERROR_ACCESS_DENIED);
    EXPECT_NE(denied.find("/dev/sda needs root rights"), std::string::npos) << denied;

    // The next failure of the same kind that an errno explains speaks of that errno again.
    rememberErrnoOfCode(ERROR_ACCESS_DENIED, EPERM);
    EXPECT_EQ(explanationOfCode(ERROR_ACCESS_DENIED), "");
}

TEST(AtaIdentifyWords, SysfsTextNeedsAllWords) {
    EXPECT_EQ(parseIdentifyWords(idWords(identifyPage())), identifyPage());
    EXPECT_TRUE(parseIdentifyWords("0040 3fff\n").empty());
    EXPECT_TRUE(parseIdentifyWords("zz").empty());
}
