#include "diskinfo/drive_layout.h"

#include "common/utf.h"
#include "diskinfo/partition_types.h"

#include <cctype>
#include <cstdio>

namespace zv::diskinfo {

using namespace zv::win;
using platform::DriveLayoutExLayout;
using platform::DriveLayoutLayout;
using platform::PartitionInformation;
using platform::PartitionInformationEx;

namespace {

constexpr DWORD kFirstLayoutBuffer = 872;  // the header and room for 27 entries
constexpr DWORD kLargestTable = 256;       // entries we are prepared to read
constexpr uint8_t kGptProtective = 0xEE;
constexpr uint64_t kGptLegacyBiosBootable = 1ull << 2;

// Sends one layout request, growing the reply buffer while the system says it is too small.
bool requestLayout(platform::IIo& io, platform::ISystem& system, HANDLE device, DWORD code,
                   DWORD firstSize, DWORD largestSize, std::vector<uint8_t>& reply, DWORD& returned) {
    for (DWORD size = firstSize;; size = size * 2 > largestSize ? largestSize : size * 2) {
        reply.assign(size, 0);
        returned = 0;
        if (io.DeviceIoControl(device, code, nullptr, 0, reply.data(), size, &returned)) return true;
        const DWORD error = system.GetLastError();
        if ((error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_MORE_DATA) || size >= largestSize) return false;
    }
}

bool onlyProtectiveEntry(const DriveLayout& layout) {
    return layout.entries.size() == 1 && layout.entries[0].PartitionType == kGptProtective;
}

}  // namespace

std::string DriveLayoutEntry::typeName() const {
    return gpt ? GptPartitionTypeName(gptType) : PartitionTypeName(PartitionType);
}

const DriveLayoutEntry* DriveLayout::partition(uint32_t partitionNumber) const {
    for (const auto& e : entries)
        if (e.PartitionNumber == partitionNumber) return &e;
    return nullptr;
}

bool DecodeDriveLayout(const uint8_t* reply, size_t size, DriveLayout& layout) {
    if (size < DriveLayoutLayout::HeaderSize) return false;
    layout = {};
    layout.partitionStyle = platform::PARTITION_STYLE_MBR;
    const uint32_t count = codec::getLe32(reply + DriveLayoutLayout::PartitionCount);
    layout.signature = codec::getLe32(reply + DriveLayoutLayout::Signature);
    const size_t room = (size - DriveLayoutLayout::HeaderSize) / PartitionInformation::Size;
    for (size_t i = 0; i < count && i < room; ++i) {
        const auto p = PartitionInformation::decode(reply + DriveLayoutLayout::Entries + i * PartitionInformation::Size);
        if (p.partitionType == 0) continue;  // an unused slot of a four-entry table
        DriveLayoutEntry e;
        e.StartingOffset = p.startingOffset;
        e.PartitionLength = p.partitionLength;
        e.HiddenSectors = p.hiddenSectors;
        e.PartitionNumber = p.partitionNumber;
        e.PartitionType = p.partitionType;
        e.BootIndicator = p.bootIndicator != 0;
        layout.entries.push_back(e);
    }
    return true;
}

bool DecodeDriveLayoutEx(const uint8_t* reply, size_t size, DriveLayout& layout) {
    if (size < DriveLayoutExLayout::HeaderSize) return false;
    layout = {};
    layout.partitionStyle = codec::getLe32(reply + DriveLayoutExLayout::PartitionStyle);
    const uint32_t count = codec::getLe32(reply + DriveLayoutExLayout::PartitionCount);
    if (layout.partitionStyle == platform::PARTITION_STYLE_MBR)
        layout.signature = codec::getLe32(reply + DriveLayoutExLayout::MbrSignature);
    const size_t room = (size - DriveLayoutExLayout::HeaderSize) / PartitionInformationEx::Size;
    for (size_t i = 0; i < count && i < room; ++i) {
        const auto p = PartitionInformationEx::decode(reply + DriveLayoutExLayout::Entries + i * PartitionInformationEx::Size);
        DriveLayoutEntry e;
        e.StartingOffset = p.startingOffset;
        e.PartitionLength = p.partitionLength;
        e.PartitionNumber = p.partitionNumber;
        if (p.partitionStyle == platform::PARTITION_STYLE_GPT) {
            e.gpt = true;
            e.gptType = p.gptPartitionType;
            e.gptName = utf8FromUtf16(p.gptName);
            e.BootIndicator = IsEfiSystemPartition(p.gptPartitionType) || (p.gptAttributes & kGptLegacyBiosBootable);
            if (e.gptType == platform::Guid{}) continue;  // unused GPT entry
        } else {
            if (p.mbrPartitionType == 0) continue;
            e.PartitionType = p.mbrPartitionType;
            e.BootIndicator = p.mbrBootIndicator != 0;
            e.HiddenSectors = p.mbrHiddenSectors;
        }
        layout.entries.push_back(e);
    }
    return true;
}

bool ReadDriveLayout(platform::Platform& platform, char letter, DriveLayout& layout) {
    auto& io = platform.io();
    auto& system = platform.system();
    char path[16];
    std::snprintf(path, sizeof path, "\\\\.\\%c:", std::toupper(static_cast<unsigned char>(letter)));
    const HANDLE device = io.CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (device == INVALID_HANDLE_VALUE || device == 0) return false;

    std::vector<uint8_t> reply;
    DWORD returned = 0;
    bool ok = requestLayout(io, system, device, IOCTL_DISK_GET_DRIVE_LAYOUT, kFirstLayoutBuffer,
                            DriveLayoutLayout::HeaderSize + kLargestTable * PartitionInformation::Size, reply,
                            returned) &&
              DecodeDriveLayout(reply.data(), returned, layout);
    const DWORD firstError = ok ? 0 : system.GetLastError();
    if (!ok || onlyProtectiveEntry(layout)) {
        DriveLayout extended;
        const DWORD exFirst = DriveLayoutExLayout::HeaderSize + 32 * PartitionInformationEx::Size;
        const DWORD exLargest = DriveLayoutExLayout::HeaderSize + kLargestTable * PartitionInformationEx::Size;
        if (requestLayout(io, system, device, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, exFirst, exLargest, reply, returned) &&
            DecodeDriveLayoutEx(reply.data(), returned, extended)) {
            layout = extended;
            ok = true;
        }
    }
    io.CloseHandle(device);
    // The caller explains a failure with the first request's error, not the fallback's.
    if (!ok) system.SetLastError(firstError);
    return ok;
}

}  // namespace zv::diskinfo
