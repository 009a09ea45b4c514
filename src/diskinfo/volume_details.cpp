#include "diskinfo/volume_details.h"

#include <cstdio>
#include <exception>

namespace zv::diskinfo {

using namespace zv::win;

namespace {

std::string rootFolder(const std::string& root) { return root + "\\"; }

// The extended free-space query is looked up at run time, as the older systems lack it.
bool extendedFreeSpace(platform::Platform& platform, const std::string& folder, TVolumeDetails& details) {
    auto& system = platform.system();
    const HMODULE kernel = system.LoadLibraryA("KERNEL32.DLL");
    if (kernel == 0) return false;
    const bool found = system.GetProcAddress(kernel, "GetDiskFreeSpaceExA") != FALSE;
    bool answered = false;
    if (found) {
        ULONGLONG available = 0, total = 0, totalFree = 0;
        if (platform.drives().GetDiskFreeSpaceExA(folder.c_str(), &available, &total, &totalFree)) {
            details.TotalBytes = int64_t(total);
            details.FreeBytes = int64_t(available);
            answered = true;
        }
    }
    system.FreeLibrary(kernel);
    return answered;
}

void clearFigures(TVolumeDetails& details) {
    details.VolumeLabel.clear();
    details.SerialText.clear();
    details.FileSystemName.clear();
    details.SectorsPerCluster = details.BytesPerSector = 0;
    details.FreeClusters = details.TotalClusters = 0;
    details.TotalBytes = details.FreeBytes = 0;
    details.SerialNumber = 0;
}

}  // namespace

bool CheckVolumeReady(platform::Platform& platform, const std::string& root) {
    auto& drives = platform.drives();
    const std::string folder = rootFolder(root);
    const UINT previous = drives.SetErrorMode(SEM_FAILCRITICALERRORS);
    bool ready = false;
    try {
        DWORD spc = 0, bps = 0, freeClusters = 0, totalClusters = 0;
        ready = drives.GetDiskFreeSpaceA(folder.c_str(), &spc, &bps, &freeClusters, &totalClusters) != FALSE;
    } catch (const std::exception&) {
        ready = false;
    }
    drives.SetErrorMode(previous);
    return ready;
}

void GatherVolumeDetails(platform::Platform& platform, const std::string& root, bool ready,
                         TVolumeDetails& details) {
    auto& drives = platform.drives();
    const std::string folder = rootFolder(root);
    details.Root = root;
    const UINT type = drives.GetDriveTypeA(folder.c_str());
    details.DriveType = type <= DRIVE_RAMDISK ? TDiskDriveType(type) : DRIVE_UNKNOWN;
    details.Capabilities.clear();
    details.Ready = ready;
    if (!ready) {
        clearFigures(details);
        return;
    }

    DWORD spc = 0, bps = 0, freeClusters = 0, totalClusters = 0;
    if (!drives.GetDiskFreeSpaceA(folder.c_str(), &spc, &bps, &freeClusters, &totalClusters))
        spc = bps = freeClusters = totalClusters = 0;
    details.SectorsPerCluster = spc;
    details.BytesPerSector = bps;
    details.FreeClusters = freeClusters;
    details.TotalClusters = totalClusters;

    if (!extendedFreeSpace(platform, folder, details)) {
        const uint64_t clusterBytes = uint64_t(spc) * uint64_t(bps);
        details.TotalBytes = int64_t(uint64_t(totalClusters) * clusterBytes);
        details.FreeBytes = int64_t(uint64_t(freeClusters) * clusterBytes);
    }

    char name[256] = {};
    char fsName[256] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (drives.GetVolumeInformationA(folder.c_str(), name, 255, &serial, &maxComponent, &flags, fsName, 255)) {
        name[255] = fsName[255] = 0;
        details.VolumeLabel = name;
        details.FileSystemName = fsName;
        details.SerialNumber = serial;
        details.SerialText = SerialTextOf(serial);
        details.Capabilities = CapabilitiesFromFlags(flags, maxComponent);
    } else {
        details.VolumeLabel.clear();
        details.FileSystemName.clear();
        details.SerialText.clear();
        details.SerialNumber = 0;
    }
}

TVolumeCapabilities CapabilitiesFromFlags(DWORD flags, DWORD maximumComponentLength) {
    struct FlagRule {
        TVolumeCapability member;
        DWORD flag;
    };
    static const FlagRule rules[] = {
        {TVolumeCapability::CaseIsPreserved, FILE_CASE_PRESERVED_NAMES},
        {TVolumeCapability::CaseSensitive, FILE_CASE_SENSITIVE_SEARCH},
        {TVolumeCapability::UnicodeOnDisk, FILE_UNICODE_ON_DISK},
        {TVolumeCapability::PersistentAcls, FILE_PERSISTENT_ACLS},
        {TVolumeCapability::FileCompression, FILE_FILE_COMPRESSION},
        {TVolumeCapability::VolumeIsCompressed, FILE_VOLUME_IS_COMPRESSED},
        {TVolumeCapability::EncryptedFileSystem, FILE_SUPPORTS_ENCRYPTION},
        {TVolumeCapability::ObjectIds, FILE_SUPPORTS_OBJECT_IDS},
        {TVolumeCapability::ReparsePoints, FILE_SUPPORTS_REPARSE_POINTS},
        {TVolumeCapability::SparseFiles, FILE_SUPPORTS_SPARSE_FILES},
        {TVolumeCapability::DiskQuotas, FILE_VOLUME_QUOTAS},
    };
    TVolumeCapabilities set;
    for (const auto& rule : rules)
        if (flags & rule.flag) set.include(rule.member);
    // Long names are announced by the component length alone, and only by exactly 255.
    if (maximumComponentLength == 255) set.include(TVolumeCapability::LongFilenames);
    return set;
}

std::string SerialTextOf(uint32_t serialNumber) {
    char text[16];
    std::snprintf(text, sizeof text, "%04X-%04X", unsigned(serialNumber >> 16), unsigned(serialNumber & 0xFFFF));
    return text;
}

const char* CapabilityLabel(TVolumeCapability capability) {
    static const char* const labels[kCapabilityCount] = {
        "Case Is Preserved: ",
        "Case Sensitive: ",
        "Unicode Stored On Disk: ",
        "Persistent Acls: ",
        "File Compression: ",
        "Volume Is Compressed: ",
        "Long Filenames: ",
        "Encrypted File System Support: ",
        "Object IDs Support: ",
        "Reparse Points Support: ",
        "Sparse Files Support: ",
        "Disk Quotas Support: ",
    };
    return labels[int(capability)];
}

void CapabilityLines(const TVolumeCapabilities& capabilities, std::vector<std::string>& lines, bool clearFirst) {
    if (clearFirst) lines.clear();
    for (int i = 0; i < kCapabilityCount; ++i) {
        const auto member = TVolumeCapability(i);
        lines.push_back(std::string(CapabilityLabel(member)) + YesNoText(capabilities.contains(member)));
    }
}

std::string DriveTypeName(uint32_t driveType) {
    static const char* const names[] = {"Unknown", "Not Exists", "Removable", "Fixed",
                                        "Remote",  "CDROM",      "RAMDisk"};
    return driveType <= DRIVE_RAMDISK ? names[driveType] : names[0];
}

std::string YesNoText(bool value) { return value ? "Yes" : "No"; }

}  // namespace zv::diskinfo
