// Request and reply blocks of the physical-disk device controls: device number, drive
// layout (old and extended form) and the S.M.A.R.T. driver requests (winioctl.h, ntdddisk.h).
//
// The same codecs build a request in the logic, decode it in a backend and build the answer
// in a simulated device, so every offset is written down once, here.
#pragma once

#include "platform/api/codec.h"
#include "platform/api/win32.h"

#include <array>
#include <cstdint>
#include <string>

namespace zv::platform {

using namespace zv::win;

// ---- IOCTL_STORAGE_GET_DEVICE_NUMBER: STORAGE_DEVICE_NUMBER, 12 bytes
struct StorageDeviceNumber {
    static constexpr DWORD Size = 12;
    DWORD deviceType = 0;
    DWORD deviceNumber = 0;
    DWORD partitionNumber = 0;

    static StorageDeviceNumber decode(const uint8_t* p) {
        return {codec::getLe32(p), codec::getLe32(p + 4), codec::getLe32(p + 8)};
    }
    void encode(uint8_t* p) const {
        codec::putLe32(p, deviceType);
        codec::putLe32(p + 4, deviceNumber);
        codec::putLe32(p + 8, partitionNumber);
    }
};

// ---- IOCTL_DISK_GET_DRIVE_LAYOUT: DRIVE_LAYOUT_INFORMATION = PartitionCount, Signature,
// then PARTITION_INFORMATION entries of 32 bytes from byte 8.
struct PartitionInformation {
    static constexpr DWORD Size = 32;
    int64_t startingOffset = 0;
    int64_t partitionLength = 0;
    DWORD hiddenSectors = 0;
    DWORD partitionNumber = 0;
    BYTE partitionType = 0;
    BYTE bootIndicator = 0;
    BYTE recognizedPartition = 0;
    BYTE rewritePartition = 0;

    static PartitionInformation decode(const uint8_t* p) {
        PartitionInformation e;
        e.startingOffset = int64_t(codec::getLe64(p));
        e.partitionLength = int64_t(codec::getLe64(p + 8));
        e.hiddenSectors = codec::getLe32(p + 16);
        e.partitionNumber = codec::getLe32(p + 20);
        e.partitionType = p[24];
        e.bootIndicator = p[25];
        e.recognizedPartition = p[26];
        e.rewritePartition = p[27];
        return e;
    }
    void encode(uint8_t* p) const {
        codec::putLe64(p, uint64_t(startingOffset));
        codec::putLe64(p + 8, uint64_t(partitionLength));
        codec::putLe32(p + 16, hiddenSectors);
        codec::putLe32(p + 20, partitionNumber);
        p[24] = partitionType;
        p[25] = bootIndicator;
        p[26] = recognizedPartition;
        p[27] = rewritePartition;
        p[28] = p[29] = p[30] = p[31] = 0;
    }
};
struct DriveLayoutLayout {
    static constexpr DWORD HeaderSize = 8;  // PartitionCount, Signature
    static constexpr DWORD PartitionCount = 0;
    static constexpr DWORD Signature = 4;
    static constexpr DWORD Entries = 8;
};

// ---- IOCTL_DISK_GET_DRIVE_LAYOUT_EX: DRIVE_LAYOUT_INFORMATION_EX = PartitionStyle,
// PartitionCount, a 40-byte union (MBR: Signature; GPT: DiskId, StartingUsableOffset,
// UsableLength, MaxPartitionCount), then PARTITION_INFORMATION_EX entries of 144 bytes.
inline constexpr DWORD PARTITION_STYLE_MBR = 0;
inline constexpr DWORD PARTITION_STYLE_GPT = 1;
inline constexpr DWORD PARTITION_STYLE_RAW = 2;

struct DriveLayoutExLayout {
    static constexpr DWORD HeaderSize = 48;
    static constexpr DWORD PartitionStyle = 0;
    static constexpr DWORD PartitionCount = 4;
    static constexpr DWORD MbrSignature = 8;
    static constexpr DWORD GptDiskId = 8;
    static constexpr DWORD GptStartingUsableOffset = 24;
    static constexpr DWORD GptUsableLength = 32;
    static constexpr DWORD GptMaxPartitionCount = 40;
    static constexpr DWORD Entries = 48;
};

using Guid = std::array<uint8_t, 16>;  // as stored: Data1..3 little-endian, Data4 bytes

// "C12A7328-F81F-11D2-BA4B-00A0C93EC93B" <-> the stored form. parseGuid gives false for
// anything that is not 32 hexadecimal digits in the 8-4-4-4-12 grouping (braces allowed).
inline std::string guidText(const Guid& g) {
    static const char* hex = "0123456789ABCDEF";
    const int order[16] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11};
    std::string out;
    for (int i : order) {
        if (i < 0) { out += '-'; continue; }
        out += hex[g[size_t(i)] >> 4];
        out += hex[g[size_t(i)] & 15];
    }
    for (int i = 12; i < 16; ++i) {
        out += hex[g[size_t(i)] >> 4];
        out += hex[g[size_t(i)] & 15];
    }
    return out;
}
inline bool parseGuid(std::string text, Guid* out) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36) return false;
    std::string digits;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool dash = (i == 8 || i == 13 || i == 18 || i == 23);
        if (dash != (text[i] == '-')) return false;
        if (!dash) digits += text[i];
    }
    uint8_t plain[16];
    for (size_t i = 0; i < 16; ++i) {
        int v = 0;
        for (size_t j = 0; j < 2; ++j) {
            const char c = digits[2 * i + j];
            int d = (c >= '0' && c <= '9') ? c - '0'
                    : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                    : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
            if (d < 0) return false;
            v = v * 16 + d;
        }
        plain[i] = uint8_t(v);
    }
    // The first three groups are stored little-endian.
    const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (size_t i = 0; i < 16; ++i) (*out)[size_t(order[i])] = plain[i];
    return true;
}

struct PartitionInformationEx {
    static constexpr DWORD Size = 144;
    DWORD partitionStyle = PARTITION_STYLE_MBR;
    int64_t startingOffset = 0;
    int64_t partitionLength = 0;
    DWORD partitionNumber = 0;
    BYTE rewritePartition = 0;
    // MBR
    BYTE mbrPartitionType = 0;
    BYTE mbrBootIndicator = 0;
    BYTE mbrRecognizedPartition = 0;
    DWORD mbrHiddenSectors = 0;
    // GPT
    Guid gptPartitionType{};
    Guid gptPartitionId{};
    uint64_t gptAttributes = 0;
    std::u16string gptName;  // at most 36 UTF-16 units

    static PartitionInformationEx decode(const uint8_t* p) {
        PartitionInformationEx e;
        e.partitionStyle = codec::getLe32(p);
        e.startingOffset = int64_t(codec::getLe64(p + 8));
        e.partitionLength = int64_t(codec::getLe64(p + 16));
        e.partitionNumber = codec::getLe32(p + 24);
        e.rewritePartition = p[28];
        const uint8_t* u = p + 32;
        if (e.partitionStyle == PARTITION_STYLE_GPT) {
            for (size_t i = 0; i < 16; ++i) {
                e.gptPartitionType[i] = u[i];
                e.gptPartitionId[i] = u[16 + i];
            }
            e.gptAttributes = codec::getLe64(u + 32);
            for (size_t i = 0; i < 36; ++i) {
                const char16_t c = char16_t(codec::getLe16(u + 40 + 2 * i));
                if (c == 0) break;
                e.gptName += c;
            }
        } else {
            e.mbrPartitionType = u[0];
            e.mbrBootIndicator = u[1];
            e.mbrRecognizedPartition = u[2];
            e.mbrHiddenSectors = codec::getLe32(u + 4);
        }
        return e;
    }
    void encode(uint8_t* p) const {
        for (DWORD i = 0; i < Size; ++i) p[i] = 0;
        codec::putLe32(p, partitionStyle);
        codec::putLe64(p + 8, uint64_t(startingOffset));
        codec::putLe64(p + 16, uint64_t(partitionLength));
        codec::putLe32(p + 24, partitionNumber);
        p[28] = rewritePartition;
        uint8_t* u = p + 32;
        if (partitionStyle == PARTITION_STYLE_GPT) {
            for (size_t i = 0; i < 16; ++i) {
                u[i] = gptPartitionType[i];
                u[16 + i] = gptPartitionId[i];
            }
            codec::putLe64(u + 32, gptAttributes);
            for (size_t i = 0; i < gptName.size() && i < 36; ++i) codec::putLe16(u + 40 + 2 * i, gptName[i]);
        } else {
            u[0] = mbrPartitionType;
            u[1] = mbrBootIndicator;
            u[2] = mbrRecognizedPartition;
            codec::putLe32(u + 4, mbrHiddenSectors);
        }
    }
};

// ---- S.M.A.R.T. driver requests
// GETVERSIONOUTPARAMS, 24 bytes: bVersion, bRevision, bReserved, bIDEDeviceMap,
// fCapabilities, four reserved words. Device map bit i: device i present; bit i+4: ATAPI.
struct GetVersionOutParams {
    static constexpr DWORD Size = 24;
    BYTE version = 0;
    BYTE revision = 0;
    BYTE ideDeviceMap = 0;
    DWORD capabilities = 0;

    static GetVersionOutParams decode(const uint8_t* p) {
        GetVersionOutParams v;
        v.version = p[0];
        v.revision = p[1];
        v.ideDeviceMap = p[3];
        v.capabilities = codec::getLe32(p + 4);
        return v;
    }
    void encode(uint8_t* p) const {
        for (DWORD i = 0; i < Size; ++i) p[i] = 0;
        p[0] = version;
        p[1] = revision;
        p[3] = ideDeviceMap;
        codec::putLe32(p + 4, capabilities);
    }
};
// fCapabilities bits
inline constexpr DWORD CAP_ATA_ID_CMD = 1;
inline constexpr DWORD CAP_ATAPI_ID_CMD = 2;
inline constexpr DWORD CAP_SMART_CMD = 4;

// IDEREGS, 8 bytes.
struct IdeRegs {
    BYTE features = 0;
    BYTE sectorCount = 0;
    BYTE sectorNumber = 0;
    BYTE cylLow = 0;
    BYTE cylHigh = 0;
    BYTE driveHead = 0;
    BYTE command = 0;
    BYTE reserved = 0;
};

// SENDCMDINPARAMS as sent: cBufferSize, IDEREGS, bDriveNumber, 3 reserved bytes, 4 reserved
// words = 32 bytes (the system structure's one-byte data array is not sent).
struct SendCmdInParams {
    static constexpr DWORD Size = 32;
    DWORD bufferSize = 0;
    IdeRegs regs;
    BYTE driveNumber = 0;

    static SendCmdInParams decode(const uint8_t* p) {
        SendCmdInParams s;
        s.bufferSize = codec::getLe32(p);
        s.regs = {p[4], p[5], p[6], p[7], p[8], p[9], p[10], p[11]};
        s.driveNumber = p[12];
        return s;
    }
    void encode(uint8_t* p) const {
        for (DWORD i = 0; i < Size; ++i) p[i] = 0;
        codec::putLe32(p, bufferSize);
        const BYTE r[8] = {regs.features, regs.sectorCount, regs.sectorNumber, regs.cylLow,
                           regs.cylHigh, regs.driveHead, regs.command, regs.reserved};
        for (size_t i = 0; i < 8; ++i) p[4 + i] = r[i];
        p[12] = driveNumber;
    }
};

// SENDCMDOUTPARAMS: cBufferSize, DRIVERSTATUS (bDriverError, bIDEError, 2 reserved bytes,
// 2 reserved words), then the data from byte 16.
struct SendCmdOutLayout {
    static constexpr DWORD BufferSize = 0;
    static constexpr DWORD DriverError = 4;
    static constexpr DWORD IdeError = 5;
    static constexpr DWORD Data = 16;
    static constexpr DWORD SectorReplySize = 16 + 512;  // 528
};

// ATA and S.M.A.R.T. register values (ATA/ATAPI-8 ACS).
inline constexpr BYTE ATA_IDENTIFY_DEVICE = 0xEC;
inline constexpr BYTE ATA_IDENTIFY_PACKET_DEVICE = 0xA1;
inline constexpr BYTE ATA_SMART = 0xB0;
inline constexpr BYTE ATA_SMART_READ_DATA = 0xD0;
inline constexpr BYTE ATA_SMART_READ_THRESHOLDS = 0xD1;
inline constexpr BYTE ATA_SMART_ENABLE_OPERATIONS = 0xD8;
inline constexpr BYTE ATA_SMART_CYL_LOW = 0x4F;
inline constexpr BYTE ATA_SMART_CYL_HIGH = 0xC2;

// DRIVERSTATUS.bDriverError values (ntdddisk.h SMART_* status codes).
inline constexpr BYTE SMART_NO_ERROR = 0;
inline constexpr BYTE SMART_IDE_ERROR = 1;
inline constexpr BYTE SMART_INVALID_FLAG = 2;
inline constexpr BYTE SMART_INVALID_COMMAND = 3;
inline constexpr BYTE SMART_INVALID_BUFFER = 4;
inline constexpr BYTE SMART_INVALID_DRIVE = 5;
inline constexpr BYTE SMART_INVALID_IOCTL = 6;
inline constexpr BYTE SMART_ERROR_NO_MEM = 7;
inline constexpr BYTE SMART_INVALID_REGISTER = 8;
inline constexpr BYTE SMART_NOT_SUPPORTED = 9;
inline constexpr BYTE SMART_NO_IDE_DEVICE = 10;

}  // namespace zv::platform
