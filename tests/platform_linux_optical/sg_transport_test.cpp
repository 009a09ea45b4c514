// The pass-through request on SG_IO: how the block is packed into an sg_io_hdr and how the
// kernel's answer comes back into the block, replayed through the seam.
#include "fake_seam.h"
#include "optical/mmc_commands.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/optical_sg.h"

#include <gtest/gtest.h>

#include <array>

namespace zv::lnx {
namespace {

using namespace zv::lnx::testing;
using zv::optical::OpticalCommand;

struct Transport {
    FakeSeam seam;
    LinuxContext ctx{options(seam)};
    static LinuxOptions options(FakeSeam& seam) {
        LinuxOptions result;
        result.seam = &seam;
        return result;
    }
    HandleEntry handle;
    Transport() {
        handle.kind = HandleKind::Device;
        handle.fd = 7;
        handle.node = "/dev/sr0";
        DriveTarget target;
        target.letter = 'D';
        target.driveType = DRIVE_CDROM;
        target.devNode = "/dev/sr0";
        target.diskNode = "/dev/sr0";
        handle.target = target;
    }
    BOOL send(platform::PassThroughRequest& request, void* data) {
        DWORD returned = 0;
        return scsiPassThrough(ctx, handle, request.data(), request.size(), data, &returned);
    }
};

// Fixed-format sense: NOT READY, MEDIUM NOT PRESENT, tray closed.
const std::vector<uint8_t> kNoMedium = {0x70, 0, 0x02, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x3A, 0x01, 0, 0, 0, 0};

TEST(SgTransport, PacksTheBlockIntoTheHeader) {
    Transport t;
    auto request = optical::makeRequest(OpticalCommand::ModeSense10);
    std::array<uint8_t, 440> data{};
    ASSERT_TRUE(t.send(request, data.data()));
    ASSERT_EQ(t.seam.sent.size(), 1u);
    const SgSent& sent = t.seam.sent[0];
    EXPECT_EQ(sent.fd, 7);
    EXPECT_EQ(sent.direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(sent.cdb, (std::vector<uint8_t>{0x5A, 0x00, 0xAA, 0, 0, 0, 0, 0x01, 0xB8, 0}));
    EXPECT_EQ(sent.senseRoom, 14u);
    EXPECT_EQ(sent.length, 440u);
    EXPECT_EQ(sent.timeout, 120000u) << "seconds become milliseconds";

    auto inquiry = optical::makeRequest(OpticalCommand::Inquiry);
    std::array<uint8_t, 100> answer{};
    ASSERT_TRUE(t.send(inquiry, answer.data()));
    EXPECT_EQ(t.seam.sent[1].cdb.size(), 6u);
    EXPECT_EQ(t.seam.sent[1].timeout, 2000u);
    EXPECT_EQ(t.seam.sent[1].senseRoom, 24u);

}

// READ DISC STRUCTURE (0xAD) is a 12-byte command the request block carries in 10 bytes. The
// kernel's ATA layer in front of a SATA DVD drive refuses the short block (host status
// DID_ERROR, no data); padded to 12 bytes it is answered. Recorded from QEMU's ATAPI DVD-ROM
// with a single-layer DVD-ROM disc.
TEST(SgTransport, ShortCommandBlocksArePaddedToTheirGroupLength) {
    Transport t;
    SgReply answer;
    answer.data = {0x08, 0x02, 0x00, 0x00, 0x01, 0x0F, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00};
    t.seam.replies.push_back(answer);
    auto structure = optical::makeRequest(OpticalCommand::ReadDiscStructure);
    std::array<uint8_t, 21> format{};
    ASSERT_TRUE(t.send(structure, format.data()));
    ASSERT_EQ(t.seam.sent.size(), 1u);
    EXPECT_EQ(t.seam.sent[0].cdb, (std::vector<uint8_t>{0xAD, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x15, 0, 0}));
    EXPECT_EQ(format[4], 0x01) << "the answer reaches the caller";
    EXPECT_EQ(format[5], 0x0F);

    // Each group's length; a block already as long or longer than its group's goes as it is.
    EXPECT_EQ(groupCommandLength(0x00, 6), 6);    // TEST UNIT READY
    EXPECT_EQ(groupCommandLength(0x12, 4), 6);    // INQUIRY
    EXPECT_EQ(groupCommandLength(0x46, 6), 10);   // GET CONFIGURATION
    EXPECT_EQ(groupCommandLength(0x5A, 10), 10);  // MODE SENSE (10)
    EXPECT_EQ(groupCommandLength(0x85, 12), 16);  // ATA PASS-THROUGH (16)
    EXPECT_EQ(groupCommandLength(0xA1, 12), 12);  // ATA PASS-THROUGH (12)
    EXPECT_EQ(groupCommandLength(0xBE, 10), 12);  // READ CD
    EXPECT_EQ(groupCommandLength(0xAD, 16), 16);
    EXPECT_EQ(groupCommandLength(0xC0, 8), 8);    // vendor specific: its own length
}

TEST(SgTransport, CommandWithoutDataMovesNone) {
    Transport t;
    auto request = optical::makeRequest(OpticalCommand::TestUnitReady);
    ASSERT_TRUE(t.send(request, nullptr));
    EXPECT_EQ(t.seam.sent[0].direction, SG_DXFER_NONE);
    EXPECT_EQ(t.seam.sent[0].length, 0u);
    EXPECT_EQ(t.seam.sent[0].cdb, std::vector<uint8_t>(6, 0));
}

TEST(SgTransport, CheckConditionIsCarriedWithItsSense) {
    Transport t;
    t.seam.replies.push_back({0, 0x02, 0, 0x08, 0, kNoMedium, {}});
    auto request = optical::makeRequest(OpticalCommand::TestUnitReady);
    ASSERT_TRUE(t.send(request, nullptr)) << "a check condition still counts as carried";
    const uint8_t* block = request.data();
    EXPECT_EQ(block[2], 0x02) << "ScsiStatus";
    EXPECT_EQ(block[7], 18) << "SenseInfoLength: bytes written";
    EXPECT_EQ(std::vector<uint8_t>(block + 48, block + 66), kNoMedium);
    EXPECT_EQ(block[66], 0);

    // MODE SENSE asks for 14 sense bytes: no more are written into the block.
    t.seam.replies.push_back({0, 0x02, 0, 0x08, 0, kNoMedium, {}});
    auto modeSense = optical::makeRequest(OpticalCommand::ModeSense10);
    std::array<uint8_t, 440> data{};
    ASSERT_TRUE(t.send(modeSense, data.data()));
    EXPECT_EQ(modeSense.data()[7], 14);
    EXPECT_EQ(modeSense.data()[48 + 13], 0x01);
    EXPECT_EQ(modeSense.data()[48 + 14], 0);
}

TEST(SgTransport, DataAndTransferredLength) {
    Transport t;
    SgReply reply;
    reply.data = {0x00, 0x20, 0, 0, 0, 0, 0x00, 0x10};
    reply.resid = 106;
    t.seam.replies.push_back(reply);
    auto request = optical::makeRequest(OpticalCommand::GetConfiguration);
    std::array<uint8_t, 114> data{};
    ASSERT_TRUE(t.send(request, data.data()));
    EXPECT_EQ(request.dataTransferLength(), 8u) << "dxfer_len - resid";
    EXPECT_EQ(data[7], 0x10);
    EXPECT_EQ(request.scsiStatus(), 0);
    EXPECT_EQ(request.senseInfoLength(), 0);
}

SgReply failingWith(int error) {
    SgReply reply;
    reply.error = error;
    return reply;
}

SgReply transportFault(uint16_t host, uint16_t driver) {
    SgReply reply;
    reply.hostStatus = host;
    reply.driverStatus = driver;
    return reply;
}

TEST(SgTransport, FailuresBecomeWin32Errors) {
    struct Case {
        SgReply reply;
        DWORD error;
    };
    const Case cases[] = {
        {failingWith(EPERM), ERROR_ACCESS_DENIED},
        {failingWith(ENOTTY), ERROR_INVALID_FUNCTION},
        {failingWith(EIO), ERROR_IO_DEVICE},
        {transportFault(0x03, 0), ERROR_SEM_TIMEOUT},           // DID_TIME_OUT
        {transportFault(0x01, 0), ERROR_DEVICE_NOT_CONNECTED},  // DID_NO_CONNECT
        {transportFault(0, 0x06), ERROR_SEM_TIMEOUT},           // DRIVER_TIMEOUT
    };
    for (const Case& c : cases) {
        Transport t;
        t.seam.replies.push_back(c.reply);
        auto request = optical::makeRequest(OpticalCommand::TestUnitReady);
        EXPECT_FALSE(t.send(request, nullptr));
        EXPECT_EQ(t.ctx.lastError(), c.error);
        EXPECT_EQ(request.data()[2], 0) << "nothing written back";
    }
}

TEST(SgTransport, RefusesWhatCannotBeSent) {
    Transport t;
    t.handle.fd = -1;
    auto request = optical::makeRequest(OpticalCommand::TestUnitReady);
    EXPECT_FALSE(t.send(request, nullptr));
    EXPECT_EQ(t.ctx.lastError(), ERROR_ACCESS_DENIED);
    t.handle.fd = 7;
    auto noBuffer = optical::makeRequest(OpticalCommand::Inquiry);
    EXPECT_FALSE(t.send(noBuffer, nullptr));
    EXPECT_EQ(t.ctx.lastError(), ERROR_INVALID_PARAMETER);
    auto badSense = optical::makeRequest(OpticalCommand::TestUnitReady);
    badSense.data()[24] = 70;  // 32 sense bytes from 70 would end past the block
    EXPECT_FALSE(t.send(badSense, nullptr));
    auto badLength = optical::makeRequest(OpticalCommand::TestUnitReady);
    badLength.data()[0] = 56;
    EXPECT_FALSE(t.send(badLength, nullptr));
    EXPECT_TRUE(t.seam.sent.empty());
}

TEST(SgTransport, PartitionCommandsGoToTheWholeDisk) {
    Transport t;
    t.handle.node = "/dev/sdb1";
    t.handle.target->devNode = "/dev/sdb1";
    t.handle.target->diskNode = "/dev/sdb";
    t.handle.target->driveType = DRIVE_REMOVABLE;
    auto request = optical::makeRequest(OpticalCommand::TestUnitReady);
    ASSERT_TRUE(t.send(request, nullptr));
    ASSERT_EQ(t.seam.opened.size(), 1u);
    EXPECT_EQ(t.seam.opened[0].first, "/dev/sdb");
    EXPECT_EQ(t.seam.sent[0].fd, 20);
    EXPECT_EQ(t.seam.closed, std::vector<int>{20});
}

}  // namespace
}  // namespace zv::lnx
