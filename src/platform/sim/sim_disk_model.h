// The simulated physical disks: layouts, identity pages, S.M.A.R.T. pages, device maps and
// the failures their requests meet.
#pragma once

#include "platform/api/disk_requests.h"
#include "platform/api/win32.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zv::sim {

class JsonReader;
using namespace zv::win;

// One partition of a readable layout. MBR: type byte; GPT: type and id identifiers.
struct SimPartition {
    uint32_t number = 0;       // 0 for an extended container
    uint8_t type = 0;
    bool boot = false;
    uint64_t start = 0;        // bytes
    uint64_t length = 0;       // bytes
    uint32_t hiddenSectors = 0;
    platform::Guid gptType{};
    platform::Guid gptId{};
    uint64_t gptAttributes = 0;
    std::u16string gptName;
};

struct SimLayout {
    DWORD error = 0;                    // nonzero: the layout requests fail with it
    DWORD style = platform::PARTITION_STYLE_MBR;
    uint32_t signature = 0;
    platform::Guid diskId{};
    // MBR: the entries as the old request lists them (groups of four: the primary table,
    // then one group per extended boot record). GPT: the partitions.
    std::vector<SimPartition> entries;
    std::optional<std::vector<uint8_t>> recorded;  // a recorded old-request reply
};

// A failure of one kind of request, optionally only on one device index.
struct SimDiskFailure {
    // "open", "version", "enable", "identify", "attributes", "thresholds", "nvme_identify",
    // "nvme_log"
    std::string request;
    int device = -1;       // -1: every device
    DWORD error = ERROR_IO_DEVICE;
    uint8_t driverStatus = platform::SMART_IDE_ERROR;
    uint8_t ideError = 0x04;  // ABRT
};

// The NVMe side of a disk: the pages its controller answers.
struct SimNvme {
    std::vector<uint8_t> identifyController;  // 4096 bytes
    std::vector<uint8_t> identifyNamespace;   // 4096 bytes
    std::vector<uint8_t> healthLog;           // 512 bytes
    uint32_t namespaceId = 1;
};

struct SimDisk {
    int number = 0;
    std::optional<SimNvme> nvme;  // an NVMe disk: ATA requests are refused
    SimLayout layout;
    bool hasIdentify = false;
    std::vector<uint8_t> identify;         // 512 bytes
    bool atapi = false;
    bool hasSmart = false;
    bool smartEnabled = true;
    std::vector<uint8_t> attributes;       // 512 bytes
    std::vector<uint8_t> thresholds;       // 512 bytes
    uint8_t deviceMap = 0x01;
    std::vector<SimDiskFailure> failures;

    const SimDiskFailure* failure(const std::string& request, int device) const {
        for (const auto& f : failures)
            if (f.request == request && (f.device < 0 || f.device == device)) return &f;
        return nullptr;
    }
};

// Where a drive letter lives.
struct SimLetterDisk {
    int disk = -1;
    uint32_t partition = 0;
};

// Loading (sim_disk_load.cpp): throws MachineFileError through the reader.
SimDisk loadSimDisk(const JsonReader& disk);
SimLetterDisk loadSimLetterDisk(const JsonReader& drive);

// An NVMe disk's pages from its "nvme" object (sim_disk_nvme_load.cpp).
SimNvme loadSimNvme(const JsonReader& nvme);

// The storage requests on a physical disk (sim_disk_nvme.cpp): the device descriptor
// (StorageDeviceProperty), and the answer to an NVMe protocol-specific query: TRUE with the
// reply, or FALSE with the error in *error; *note says what was answered or refused.
std::vector<uint8_t> encodeDiskDeviceDescriptor(const SimDisk& disk);
BOOL answerNvmeProtocolQuery(const SimDisk& disk, const uint8_t* in, DWORD inSize, uint8_t* out, DWORD outSize,
                             DWORD* returned, DWORD* error, std::string* note);

// Page encoders (sim_disk_pages.cpp).
std::vector<uint8_t> encodeIdentifyPage(const std::string& model, const std::string& serial,
                                        const std::string& firmware, uint32_t sectors, uint16_t word47,
                                        bool atapi, bool smartSupported);
std::vector<uint8_t> encodeAttributePage(const std::vector<std::vector<uint8_t>>& entries);
// The old request's reply for a layout; its size is exact.
std::vector<uint8_t> encodeDriveLayout(const SimLayout& layout);
std::vector<uint8_t> encodeDriveLayoutEx(const SimLayout& layout);

}  // namespace zv::sim
