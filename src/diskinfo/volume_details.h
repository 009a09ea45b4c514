// Volume figures of one drive letter: readiness, cluster figures, byte totals, label,
// file system, serial number and file-system capabilities.
#pragma once

#include "platform/api/platform.h"

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace zv::diskinfo {

// The codes GetDriveTypeA returns, in their order.
enum TDiskDriveType : uint32_t {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

// In the order of the capability lines.
enum class TVolumeCapability {
    CaseIsPreserved,
    CaseSensitive,
    UnicodeOnDisk,
    PersistentAcls,
    FileCompression,
    VolumeIsCompressed,
    LongFilenames,
    EncryptedFileSystem,
    ObjectIds,
    ReparsePoints,
    SparseFiles,
    DiskQuotas,
};
inline constexpr int kCapabilityCount = 12;

// A set of capabilities, indexed by the member's position.
class TVolumeCapabilities {
public:
    void include(TVolumeCapability c) { m_bits.set(size_t(c)); }
    bool contains(TVolumeCapability c) const { return m_bits.test(size_t(c)); }
    void clear() { m_bits.reset(); }
    bool empty() const { return m_bits.none(); }
    bool operator==(const TVolumeCapabilities&) const = default;

private:
    std::bitset<kCapabilityCount> m_bits;
};

struct TVolumeDetails {
    std::string Root;  // "X:"
    bool Ready = false;
    TDiskDriveType DriveType = DRIVE_UNKNOWN;
    uint32_t SectorsPerCluster = 0;
    uint32_t BytesPerSector = 0;
    uint32_t FreeClusters = 0;
    uint32_t TotalClusters = 0;
    int64_t TotalBytes = 0;
    int64_t FreeBytes = 0;
    std::string VolumeLabel;
    std::string FileSystemName;
    uint32_t SerialNumber = 0;
    std::string SerialText;
    TVolumeCapabilities Capabilities;
};

// Whether the free-space query on "X:\" succeeds, with critical-error dialogs suppressed.
bool CheckVolumeReady(platform::Platform& platform, const std::string& root);

// Overwrites `details` with the figures of `root` ("X:"). A volume that is not ready gets
// its drive type, zero figures and empty texts.
void GatherVolumeDetails(platform::Platform& platform, const std::string& root, bool ready,
                         TVolumeDetails& details);

// The capabilities that the file-system flags and maximum component length announce.
TVolumeCapabilities CapabilitiesFromFlags(win::DWORD fileSystemFlags, win::DWORD maximumComponentLength);

// "1A2B-3C4D".
std::string SerialTextOf(uint32_t serialNumber);

// The label of a capability line ("Case Is Preserved: ").
const char* CapabilityLabel(TVolumeCapability capability);

// Twelve lines "<label>Yes" / "<label>No" in member order, appended to `lines`, which is
// emptied first when `clearFirst` is set.
void CapabilityLines(const TVolumeCapabilities& capabilities, std::vector<std::string>& lines,
                     bool clearFirst);

// "Unknown", "Not Exists", "Removable", "Fixed", "Remote", "CDROM", "RAMDisk"; codes outside
// the table read "Unknown".
std::string DriveTypeName(uint32_t driveType);

// "Yes" or "No".
std::string YesNoText(bool value);

}  // namespace zv::diskinfo
