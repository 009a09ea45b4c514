// Partition tables (MBR with its extended chain, GPT) as the sectors of a disk hold them: the
// input is the disk's first sectors. The layout is read the whole way the disk information
// window reads it: libblkid on the disk, the two Windows layout replies, their decoders. The
// decoders of the replies also get the input itself as a reply.
#include "diskinfo/drive_layout.h"
#include "platform/api/platform.h"
#include "platform/linux/disk_layout.h"
#include "support/check.h"
#include "support/recorded_machine.h"
#include "support/scripted_seam.h"

#if __has_include("common/utf.h")
#include "common/utf.h"
#endif

#include <sys/mman.h>
#include <unistd.h>

using namespace zv;

namespace {

struct Disk {
    fuzz::ScriptedSeam seam;
    std::unique_ptr<platform::Platform> platform;
    Disk() {
        seam.imageFd = ::memfd_create("zv-fuzz-disk", MFD_CLOEXEC);
        FUZZ_CHECK(seam.imageFd >= 0);
        platform = fuzz::recordedLinuxPlatform("desktop", seam);
    }
    // The disk holds the input, in whole 512-byte sectors.
    void hold(const uint8_t* data, size_t size) {
        FUZZ_CHECK(::ftruncate(seam.imageFd, 0) == 0);
        FUZZ_CHECK(::pwrite(seam.imageFd, data, size, 0) == ssize_t(size));
        FUZZ_CHECK(::ftruncate(seam.imageFd, off_t((size + 511) / 512 * 512)) == 0);
    }
};

// The partition of the table that the entry shows: same place, same type (tables may hold
// several partitions at one place).
bool inTable(const lnx::DiskLayout& layout, const diskinfo::DriveLayoutEntry& entry) {
    for (const auto& p : layout.partitions) {
        if (int64_t(p.startSector * 512) != entry.StartingOffset || int64_t(p.sectors * 512) != entry.PartitionLength)
            continue;
        if (entry.gpt ? entry.gptType == p.gptType : entry.PartitionType == p.mbrType && entry.BootIndicator == p.boot)
            return true;
    }
    return false;
}

void checkDecoded(const diskinfo::DriveLayout& layout) {
    for (const auto& entry : layout.entries) {
        FUZZ_CHECK(!entry.typeName().empty());
#if __has_include("common/utf.h")
        FUZZ_CHECK(isValidUtf8(entry.gptName));
#endif
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Disk disk;
    disk.hold(data, size);

    lnx::DiskLayout probed;
    const bool readable = lnx::probeDiskLayout(disk.seam.imageFd, probed);
    diskinfo::DriveLayout layout;
    if (diskinfo::ReadDriveLayout(*disk.platform, 'C', layout) && readable && probed.found) {
        // Every partition in use the window shows is one the table holds, at its place.
        FUZZ_CHECK(layout.partitionStyle == (probed.gpt ? platform::PARTITION_STYLE_GPT : platform::PARTITION_STYLE_MBR));
        FUZZ_CHECK(layout.entries.size() <= probed.partitions.size());
        for (const auto& entry : layout.entries) {
            FUZZ_CHECK(entry.gpt == probed.gpt);
            FUZZ_CHECK(inTable(probed, entry));
        }
        checkDecoded(layout);

        // Both replies of an MBR disk name the same partitions.
        if (!probed.gpt) {
            diskinfo::DriveLayout old, extended;
            const auto oldReply = lnx::encodeOldLayout(probed);
            const auto exReply = lnx::encodeLayoutEx(probed);
            FUZZ_CHECK(diskinfo::DecodeDriveLayout(oldReply.data(), oldReply.size(), old));
            FUZZ_CHECK(diskinfo::DecodeDriveLayoutEx(exReply.data(), exReply.size(), extended));
            FUZZ_CHECK(old.entries.size() == extended.entries.size() && old.signature == extended.signature);
        }
    }

    // The input as a reply of either request.
    diskinfo::DriveLayout reply;
    if (diskinfo::DecodeDriveLayout(data, size, reply)) {
        FUZZ_CHECK(reply.entries.size() <= (size - 8) / 32);
        checkDecoded(reply);
    }
    if (diskinfo::DecodeDriveLayoutEx(data, size, reply)) {
        FUZZ_CHECK(reply.entries.size() <= (size - 48) / 144);
        checkDecoded(reply);
    }
    return 0;
}
