// Device requests are carried out as a device would: well-formed ones are answered byte
// for byte, malformed ones fail as they would on Windows.
#include "support/sim_fixture.h"

#include "platform/api/codec.h"
#include "platform/api/pass_through.h"

#include <gtest/gtest.h>

#include <array>

namespace zv::test {
namespace {

using platform::PassThroughLayout;
using platform::PassThroughParams;
using platform::PassThroughRequest;

const std::string Machine = machineJson(R"(
  "drives": [
    {"letter": "C", "type": 3,
     "inquiry": {"vendor": "ATA", "product": "ST3160815AS", "revision": "3.AA", "vendor_specific": "SERIAL-0042"},
     "storage": {"bus_type": 7, "removable_media": false, "serial": "5RA0XYZ"}},
    {"letter": "D", "type": 3},
    {"letter": "N", "type": 4},
    {"letter": "P", "type": 5, "device": {"read_write": 5, "query": "ok"},
     "inquiry": {"vendor": "TSSTcorp", "product": "CDDVDW SH-S203N", "revision": "SB01"}}
  ],
  "substitutes": [{"letter": "S", "target": "C:\\Temp"}])");

class DeviceRequests : public SimFixture {
protected:
    void SetUp() override { load(Machine); }

    HANDLE open(const char* path, DWORD access = GENERIC_READ | GENERIC_WRITE) {
        return machine().io().CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    }

    // The identity request: INQUIRY for 100 bytes.
    static PassThroughRequest inquiry(uint8_t cdbLength = 6, uint32_t transfer = 100, uint16_t allocation = 100) {
        PassThroughRequest request;
        const uint8_t cdb[6] = {0x12, 0x00, uint8_t(allocation >> 8), uint8_t(allocation), 0x00, 0x00};
        request.build(PassThroughParams{cdbLength, 24, transfer, 2}, cdb, sizeof cdb);
        // INQUIRY's 16-bit allocation length sits in bytes 3-4.
        request.data()[PassThroughLayout::Cdb + 3] = uint8_t(allocation >> 8);
        request.data()[PassThroughLayout::Cdb + 4] = uint8_t(allocation);
        return request;
    }

    BOOL send(HANDLE device, PassThroughRequest& request, uint8_t* data) {
        DWORD returned = 0;
        return machine().io().ScsiPassThroughDirect(device, request.data(), request.size(), data, &returned);
    }
};

TEST_F(DeviceRequests, InquiryIsAnsweredFromTheDrivesIdentity) {
    const HANDLE device = open("\\\\.\\C:");
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    PassThroughRequest request = inquiry();
    std::array<uint8_t, 100> data{};
    ASSERT_TRUE(send(device, request, data.data()));
    EXPECT_EQ(request.scsiStatus(), 0);
    EXPECT_EQ(codec::zeroTerminated(data.data() + 8, 92), "ATA     ST3160815AS     3.AASERIAL-0042");
    EXPECT_EQ(data[4], 36 + 11 - 5);  // additional length
    EXPECT_EQ(request.dataTransferLength(), 47u);
    const auto calls = callsNamed(machine(), "ScsiPassThroughDirect");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0]->input.size(), 80u);
    EXPECT_EQ(calls[0]->input[PassThroughLayout::Cdb], 0x12);
    EXPECT_TRUE(machine().io().CloseHandle(device));
}

TEST_F(DeviceRequests, InquiryIsCutToTheAllocationLength) {
    const HANDLE device = open("\\\\.\\C:");
    PassThroughRequest request = inquiry(6, 20, 20);
    std::array<uint8_t, 100> data{};
    ASSERT_TRUE(send(device, request, data.data()));
    EXPECT_EQ(codec::zeroTerminated(data.data() + 8, 92), "ATA     ST31");
    machine().io().CloseHandle(device);
}

TEST_F(DeviceRequests, MalformedBlocksFailWithInvalidParameter) {
    const HANDLE device = open("\\\\.\\C:");
    std::array<uint8_t, 100> data{};
    struct Case {
        const char* what;
        void (*spoil)(PassThroughRequest&);
    };
    const Case cases[] = {
        {"Length 40", [](PassThroughRequest& r) { codec::putLe16(r.data() + PassThroughLayout::Length, 40); }},
        {"CdbLength 10 for INQUIRY", [](PassThroughRequest& r) { r.data()[PassThroughLayout::CdbLength] = 10; }},
        {"sense beyond the block", [](PassThroughRequest& r) { codec::putLe32(r.data() + PassThroughLayout::SenseInfoOffset, 70); }},
        {"transfer above allocation", [](PassThroughRequest& r) { codec::putLe32(r.data() + PassThroughLayout::DataTransferLength, 200); }},
        {"DataIn 0 for a data-in command", [](PassThroughRequest& r) { r.data()[PassThroughLayout::DataIn] = 0; }},
        {"DataIn 3", [](PassThroughRequest& r) { r.data()[PassThroughLayout::DataIn] = 3; }},
    };
    for (const Case& c : cases) {
        PassThroughRequest request = inquiry();
        c.spoil(request);
        machine().system().SetLastError(0);
        EXPECT_FALSE(send(device, request, data.data())) << c.what;
        EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER) << c.what;
    }
    PassThroughRequest request = inquiry();
    DWORD returned = 0;
    EXPECT_FALSE(machine().io().ScsiPassThroughDirect(device, request.data(), request.size(), nullptr, &returned));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(machine().io().ScsiPassThroughDirect(device, request.data(), 40, data.data(), &returned));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
    machine().io().CloseHandle(device);
}

TEST_F(DeviceRequests, PassThroughNeedsAReadWriteHandle) {
    const HANDLE device = open("\\\\.\\C:", 0);
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    PassThroughRequest request = inquiry();
    std::array<uint8_t, 100> data{};
    EXPECT_FALSE(send(device, request, data.data()));
    EXPECT_EQ(machine().GetLastError(), ERROR_ACCESS_DENIED);
    machine().io().CloseHandle(device);
}

TEST_F(DeviceRequests, DeviceWithoutPassThroughRefusesIt) {
    const HANDLE device = open("\\\\.\\D:");
    PassThroughRequest request = inquiry();
    std::array<uint8_t, 100> data{};
    EXPECT_FALSE(send(device, request, data.data()));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(data[8], 0);
    EXPECT_EQ(machine().unknownRequestCount(), 0);
    machine().io().CloseHandle(device);
}

TEST_F(DeviceRequests, UnknownOpcodeEndsInCheckConditionAndIsCounted) {
    allowUnknownRequests(2);
    const HANDLE device = open("\\\\.\\C:");
    PassThroughRequest request;
    const uint8_t cdb[10] = {0x4A, 0x01, 0, 0, 0x10, 0, 0, 0, 8, 0};  // GET EVENT STATUS NOTIFICATION
    request.build(PassThroughParams{10, 32, 8, 10}, cdb, sizeof cdb);
    std::array<uint8_t, 8> data{};
    ASSERT_TRUE(send(device, request, data.data()));
    EXPECT_EQ(request.scsiStatus(), 0x02);
    EXPECT_EQ(request.senseInfoLength(), 18);
    const uint8_t* sense = request.data() + PassThroughLayout::Sense;
    EXPECT_EQ(sense[0], 0x70);
    EXPECT_EQ(sense[2], 0x05);
    EXPECT_EQ(sense[12], 0x20);
    EXPECT_EQ(sense[13], 0x00);
    EXPECT_EQ(machine().unknownRequestCount(), 1);

    // READ DISC STRUCTURE in its 10-byte form is well formed only with zeros in bytes 10-11.
    const uint8_t disc[12] = {0xAD, 0, 0, 0, 0, 0, 0, 0, 0, 21, 0, 0};
    request.build(PassThroughParams{10, 32, 21, 120}, disc, sizeof disc);
    std::array<uint8_t, 21> structure{};
    EXPECT_TRUE(send(device, request, structure.data()));
    request.data()[PassThroughLayout::Cdb + 10] = 1;
    EXPECT_FALSE(send(device, request, structure.data()));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
    machine().io().CloseHandle(device);
}

TEST_F(DeviceRequests, StorageDescriptorIsLaidOutByteForByte) {
    const HANDLE device = open("\\\\.\\C:", 0);
    const std::array<uint8_t, 12> query{};
    std::array<uint8_t, 548> out{};
    codec::putLe32(out.data() + 4, 548);
    DWORD returned = 0;
    ASSERT_TRUE(machine().io().DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, query.data(), 12, out.data(), 548, &returned));
    const uint32_t size = codec::getLe32(out.data() + 4);
    EXPECT_EQ(codec::getLe32(out.data()), 40u);
    EXPECT_EQ(returned, size);
    EXPECT_EQ(out[10], 0);                          // RemovableMedia
    EXPECT_EQ(codec::getLe32(out.data() + 28), 7u);  // BusType
    EXPECT_EQ(codec::zeroTerminated(out.data() + codec::getLe32(out.data() + 12), 20), "ATA     ");
    EXPECT_EQ(codec::zeroTerminated(out.data() + codec::getLe32(out.data() + 24), 20), "5RA0XYZ");
    EXPECT_EQ(size, 40u + 9 + 17 + 5 + 8);

    // A header-sized buffer gets the header, whose Size tells what the whole needs.
    std::array<uint8_t, 8> header{};
    ASSERT_TRUE(machine().io().DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, query.data(), 12, header.data(), 8, &returned));
    EXPECT_EQ(returned, 8u);
    EXPECT_EQ(codec::getLe32(header.data() + 4), size);

    EXPECT_FALSE(machine().io().DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, query.data(), 8, out.data(), 548, &returned));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(machine().io().DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, query.data(), 12, out.data(), 4, &returned));
    EXPECT_EQ(machine().GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    machine().io().CloseHandle(device);
}

TEST_F(DeviceRequests, UnknownControlCodeFailsAndIsCounted) {
    allowUnknownRequests(2);
    const HANDLE device = open("\\\\.\\C:", 0);
    std::array<uint8_t, 12> query{};
    codec::putLe32(query.data(), 1);  // StorageAdapterProperty: no one serves it here
    std::array<uint8_t, 64> out{};
    DWORD returned = 0;
    EXPECT_FALSE(machine().io().DeviceIoControl(device, IOCTL_STORAGE_QUERY_PROPERTY, query.data(), 12, out.data(), 64, &returned));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(machine().io().DeviceIoControl(device, 0x00220000, nullptr, 0, nullptr, 0, &returned));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(machine().unknownRequestCount(), 2);
    machine().io().CloseHandle(device);
}

TEST_F(DeviceRequests, OpensAnswerPerModeAndLetter) {
    auto& io = machine().io();
    EXPECT_EQ(open("\\\\.\\N:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(open("\\\\.\\Q:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(open("\\\\.\\P:"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine().GetLastError(), ERROR_ACCESS_DENIED);
    const HANDLE query = open("\\\\.\\P:", 0);
    EXPECT_NE(query, INVALID_HANDLE_VALUE);
    io.CloseHandle(query);

    // A substitute letter's device is its target's device.
    const HANDLE subst = open("\\\\.\\S:", 0);
    ASSERT_NE(subst, INVALID_HANDLE_VALUE);
    const std::array<uint8_t, 12> request{};
    std::array<uint8_t, 548> out{};
    DWORD returned = 0;
    ASSERT_TRUE(io.DeviceIoControl(subst, IOCTL_STORAGE_QUERY_PROPERTY, request.data(), 12, out.data(), 548, &returned));
    EXPECT_EQ(codec::getLe32(out.data() + 28), 7u);
    io.CloseHandle(subst);

    // The wide form opens the same device.
    const HANDLE wide = io.CreateFileW(u"\\\\.\\C:", 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    EXPECT_NE(wide, INVALID_HANDLE_VALUE);
    io.CloseHandle(wide);
    EXPECT_FALSE(io.CloseHandle(wide));
    EXPECT_EQ(machine().GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace zv::test
