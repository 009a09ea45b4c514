// The typed model of a simulated machine: what the machine file describes, and the state
// that the program's calls change while the machine runs.
#pragma once

#include "platform/api/win32.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zv::sim {

using namespace zv::win;

struct SimVolume {
    DWORD error = 0;  // nonzero: GetVolumeInformation fails with it
    std::string label;
    DWORD serial = 0;
    DWORD maxComponentLength = 255;
    DWORD flags = 0x300FF;
    std::string fileSystem = "NTFS";
};

struct SimSpace {
    DWORD error = 0;  // nonzero: the free-space calls fail with it
    uint64_t total = 107374182400ull;
    uint64_t freeToCaller = 53687091200ull;
    uint64_t totalFree = 53687091200ull;
    DWORD bytesPerSector = 512;
    DWORD sectorsPerCluster = 8;
    std::optional<uint64_t> totalClusters;  // explicit counts, else derived from the sizes
    std::optional<uint64_t> freeClusters;
    int64_t consumed = 0;  // bytes taken (or given back, when negative) by file changes while the machine runs

    uint64_t clusterSize() const { return uint64_t(bytesPerSector) * sectorsPerCluster; }
    uint64_t freeToCallerNow() const { return clampFree(freeToCaller); }
    uint64_t totalFreeNow() const { return clampFree(totalFree); }
    uint64_t clampFree(uint64_t configured) const {
        const int64_t now = int64_t(configured) - consumed;
        return now < 0 ? 0 : uint64_t(now) > total ? total : uint64_t(now);
    }
};

// The device's SCSI identity: recorded or encoded standard inquiry data, or a failure.
struct SimInquiry {
    bool present = false;   // false: the device has no SCSI pass-through
    DWORD error = 0;        // nonzero: every pass-through request fails with it
    std::vector<uint8_t> data;
};

struct SimStorage {
    DWORD error = 0;  // nonzero: the storage property query fails with it
    DWORD busType = BusTypeAta;
    bool removableMedia = false;
    uint8_t deviceType = 0;
    uint8_t deviceTypeModifier = 0;
    bool commandQueueing = false;
    std::string vendor, product, revision;
    std::optional<std::string> serial;
};

struct SimDrive {
    char letter = 0;
    UINT type = DRIVE_FIXED;
    SimVolume volume;
    SimSpace space;
    bool mediumPresent = true;
    DWORD deviceReadWrite = 0;  // 0: the read-write open succeeds, else its error
    DWORD deviceQuery = 0;      // 0: the query-only open succeeds, else its error
    SimInquiry inquiry;
    SimStorage storage;
    std::string dosDevice;
    std::string volumeGuid;
    uint64_t readSpeed = 100000000;
    DWORD readOnlyError = 0;  // nonzero: files cannot be changed (ERROR_WRITE_PROTECT ...)
    bool rootWritable = true;
    std::string writableFolder;  // as written, without a final "\\"; "" when none
    std::string readCache;       // what may answer reads from a cache; "" when nothing
};

// A volume without a drive letter.
struct SimLetterlessVolume {
    std::string guid;
    SimVolume volume;
    SimSpace space;
};

// One DOS-device definition of a letter (newest last). An ordinary volume's own definition
// points at its drive; a substitute or raw definition holds its target text.
struct SimDosDefinition {
    SimDrive* drive = nullptr;  // ordinary volume
    std::string target;         // "\??\C:\Temp" or a raw device path
};

struct SimConnection {
    std::string remote;
    enum class State { Connected, Unavailable, Failing } state = State::Connected;
    DWORD error = 0;  // for Failing
};

struct SimRegistryValue {
    std::string name;  // as written
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};

struct SimRegistryKey {
    std::string name;  // as written
    std::map<std::string, std::unique_ptr<SimRegistryKey>> children;  // by upper-case name
    std::map<std::string, SimRegistryValue> values;                    // by upper-case name
};

// File contents held in 64 KiB chunks; missing chunks read as zeros, so that a large file
// costs only what was written.
struct SimFile {
    static constexpr uint64_t ChunkSize = 65536;
    std::string path;  // as first written
    uint64_t size = 0;
    std::map<uint64_t, std::vector<uint8_t>> chunks;
    bool readOnly = false;
    int openCount = 0;
    bool deleteOnClose = false;

    void read(uint64_t offset, uint8_t* out, size_t count) const;
    void write(uint64_t offset, const uint8_t* in, size_t count);
    void truncate();
    std::string text() const;
};

struct SimFault {
    std::string operation;
    std::string target;  // "" for any
    std::optional<DWORD> code;
    std::optional<uint8_t> opcode;
    std::optional<DWORD> error;  // none: only a delay
    uint64_t after = 0;
    std::optional<uint64_t> count;
    uint64_t delayMs = 0;
    std::string place;  // JSON pointer, for the call log
    uint64_t seen = 0;
    uint64_t applied = 0;
};

struct SimAutomationFailure {
    std::string progId;
    std::string method;  // "" for any
    HRESULT hresult = E_FAIL;
    std::string message;
};

struct SimMachine {
    // System.
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD major = 5, minor = 1, build = 2600;
    std::string servicePack;
    bool administrator = true;
    bool threadToken = false;
    uint32_t groupCount = 6;
    std::string decimal = ".", thousands = ",";
    uint64_t startMs = 1000000;
    UINT errorMode = 0;

    // Drives: every drive ever known (drives that lose their letter stay here) and the
    // letters' DOS-device definitions.
    std::vector<std::unique_ptr<SimDrive>> drives;
    std::array<std::vector<SimDosDefinition>, 26> definitions;
    std::vector<SimLetterlessVolume> volumes;

    // Network.
    std::map<char, SimConnection> connections;
    std::map<char, std::string> remembered;
    std::optional<std::map<std::string, DWORD>> shares;  // by upper-case remote
    DWORD connectionDialog = 0, disconnectDialog = 0;
    SimDrive newNetworkDrive;

    // Registry (HKEY_CURRENT_USER).
    SimRegistryKey registryRoot;

    // Libraries: upper-case name ("KERNEL32.DLL") -> upper-case entries; "*" exports all.
    std::optional<std::map<std::string, std::set<std::string>>> libraries;

    // Shell.
    std::vector<std::optional<std::string>> browseAnswers;
    size_t browseNext = 0;
    std::vector<SimAutomationFailure> automationFailures;
    std::vector<std::string> unregisteredObjects;

    // Files: canonical path -> file; folders by canonical path (roots are implicit).
    std::map<std::string, SimFile> files;
    std::set<std::string> folders;
    struct ShortName {
        std::string longPath, shortPath;  // as written
    };
    std::map<std::string, ShortName> shortNames;  // by canonical long path

    std::vector<SimFault> faults;
};

}  // namespace zv::sim
