// Drives and volumes of the simulated machine (IDrives) and the older family's DOS
// services (IDosServices).
#pragma once

#include "platform/sim/sim_core.h"

namespace zv::sim {

class SimDrives final : public platform::IDrives {
public:
    explicit SimDrives(SimCore& core) : m_core(core) {}

    DWORD GetLogicalDrives() override;
    DWORD GetLogicalDriveStringsA(DWORD bufferLength, char* buffer) override;
    UINT GetDriveTypeA(const char* rootPathName) override;
    BOOL GetVolumeInformationA(const char* rootPathName, char* volumeNameBuffer, DWORD volumeNameSize,
                               DWORD* volumeSerialNumber, DWORD* maximumComponentLength, DWORD* fileSystemFlags,
                               char* fileSystemNameBuffer, DWORD fileSystemNameSize) override;
    BOOL GetVolumeInformationW(const char16_t* rootPathName, char16_t* volumeNameBuffer, DWORD volumeNameSize,
                               DWORD* volumeSerialNumber, DWORD* maximumComponentLength, DWORD* fileSystemFlags,
                               char16_t* fileSystemNameBuffer, DWORD fileSystemNameSize) override;
    BOOL GetDiskFreeSpaceExA(const char* directoryName, ULONGLONG* freeBytesAvailableToCaller,
                             ULONGLONG* totalNumberOfBytes, ULONGLONG* totalNumberOfFreeBytes) override;
    BOOL GetDiskFreeSpaceA(const char* rootPathName, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                           DWORD* numberOfFreeClusters, DWORD* totalNumberOfClusters) override;
    UINT SetErrorMode(UINT mode) override;
    DWORD QueryDosDeviceA(const char* deviceName, char* targetPath, DWORD ucchMax) override;
    BOOL DefineDosDeviceA(DWORD flags, const char* deviceName, const char* targetPath) override;
    DWORD GetShortPathNameA(const char* longPath, char* shortPath, DWORD bufferLength) override;
    HANDLE FindFirstVolumeA(char* volumeName, DWORD bufferLength) override;
    BOOL FindNextVolumeA(HANDLE findVolume, char* volumeName, DWORD bufferLength) override;
    BOOL FindVolumeClose(HANDLE findVolume) override;
    DWORD GetVolumeMountsA(const char* rootPath, char* buffer, DWORD bufferLength) override;
    BOOL DismountVolumeA(const char* rootPath) override;
    BOOL RemountVolumeA(const char* rootPath) override;

private:
    struct VolumeFacts {
        const SimVolume* volume = nullptr;
        DWORD error = 0;
    };
    // The volume behind a root ("X:\" or a volume name), or the error of asking it.
    VolumeFacts volumeOf(const std::string& root);
    std::vector<std::string> volumeNames() const;

    SimCore& m_core;
};

class SimDos final : public platform::IDosServices {
public:
    explicit SimDos(SimCore& core) : m_core(core) {}
    void VxDCall(DWORD service, platform::VxDRegisters& regs) override;

private:
    void substService(platform::VxDRegisters& regs);
    void fullPathName(platform::VxDRegisters& regs);
    SimCore& m_core;
};

// A remembered or unavailable network connection makes its letter's volume unreachable.
DWORD networkVolumeError(const SimCore& core, const SimDrive& drive);

}  // namespace zv::sim
