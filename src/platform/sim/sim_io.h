// Files and devices of the simulated machine (IIo): in-memory files with the system's
// open, share and delete-on-close semantics, and letter devices that answer device-control
// requests byte for byte.
#pragma once

#include "platform/sim/sim_core.h"

namespace zv::sim {

class SimIo final : public platform::IIo {
public:
    explicit SimIo(SimCore& core) : m_core(core) {}

    HANDLE CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                       DWORD flagsAndAttributes) override;
    HANDLE CreateFileW(const char16_t* fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                       DWORD flagsAndAttributes) override;
    BOOL CloseHandle(HANDLE handle) override;
    BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, const void* inBuffer, DWORD inBufferSize,
                         void* outBuffer, DWORD outBufferSize, DWORD* bytesReturned) override;
    BOOL ScsiPassThroughDirect(HANDLE device, uint8_t* request, DWORD requestSize, void* dataBuffer,
                               DWORD* bytesReturned) override;
    DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) override;
    BOOL ReadFile(HANDLE file, void* buffer, DWORD numberOfBytesToRead, DWORD* numberOfBytesRead) override;
    BOOL WriteFile(HANDLE file, const void* buffer, DWORD numberOfBytesToWrite, DWORD* numberOfBytesWritten) override;
    BOOL FlushFileBuffers(HANDLE file) override;
    BOOL DeleteFileA(const char* fileName) override;
    BOOL FileExists(const char* fileName) override;
    BOOL AppendTextFile(const char* fileName, const std::string& text) override;
    BOOL DiscardCachedData(HANDLE file) override;
    DWORD GetWritableFolderA(const char* rootPath, char* buffer, DWORD bufferLength) override;
    DWORD GetReadCacheLayerA(const char* rootPath, char* buffer, DWORD bufferLength) override;

private:
    HANDLE createFile(const char* operation, const std::string& name, DWORD access, DWORD share,
                      DWORD disposition, DWORD flags);
    HANDLE openDevice(CallRecord& call, const char* operation, const std::string& name, DWORD access, DWORD share,
                      DWORD disposition, DWORD flags);
    HANDLE openFile(CallRecord& call, const char* operation, const std::string& name, DWORD access, DWORD share,
                    DWORD disposition, DWORD flags);
    // ERROR_SHARING_VIOLATION when the open handles of the same file or device and the new
    // open do not share with each other; 0 otherwise.
    DWORD shareConflict(SimHandle::Kind kind, const std::string& path, const SimDrive* drive, DWORD access,
                        DWORD share) const;
    // Why the file may not be changed (read-only drive or file), 0 when it may.
    DWORD writeRefusal(const SimDrive& drive, const SimFile* file) const;
    void releaseFile(const std::string& canonical);

    BOOL storageQuery(CallRecord& call, SimHandle& handle, const void* in, DWORD inSize, void* out, DWORD outSize,
                      DWORD* returned);
    BOOL passThrough(CallRecord& call, SimHandle& handle, uint8_t* block, DWORD blockSize, void* data,
                     DWORD* returned);
    BOOL answerInquiry(CallRecord& call, const SimDrive& drive, uint8_t* block, void* data, DWORD* returned);

    SimCore& m_core;
};

}  // namespace zv::sim
