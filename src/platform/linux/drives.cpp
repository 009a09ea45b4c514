// Drives and volumes: the letter table seen through the Windows drive functions.
#include "common/utf.h"
#include "platform/linux/drive_letters.h"
#include "platform/linux/linux_concerns.h"
#include "platform/linux/linux_parts.h"
#include "platform/linux/remote_probe.h"
#include "platform/linux/substitutes.h"
#include "platform/linux/volume_facts.h"
#include "platform/linux/volume_info.h"
#include "platform/linux/volume_dismount.h"

#include <cerrno>
#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace zv::lnx {

namespace {

DWORD saturated(uint64_t value) { return DWORD(std::min<uint64_t>(value, std::numeric_limits<DWORD>::max())); }

// Copies a label into a buffer, cut at a character boundary when it is longer than the
// buffer (Windows labels never are; btrfs and xfs labels can be).
void copyCut(char* buffer, DWORD size, const std::string& text) {
    if (!buffer || size == 0) return;
    size_t n = std::min<size_t>(text.size(), size - 1);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::copy(text.begin(), text.begin() + long(n), buffer);
    buffer[n] = 0;
}

class LinuxDrives final : public platform::IDrives {
public:
    explicit LinuxDrives(LinuxContext& ctx) : m_ctx(ctx) {}

    DWORD GetLogicalDrives() override {
        checkLettersNow(m_ctx);
        DWORD mask = 0;
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            const LetterEntry* entry = letterEntry(m_ctx, letter);
            if (entry && !entry->remembered) mask |= DWORD(1) << (letter - 'A');
        }
        m_ctx.setLastError(ERROR_SUCCESS);
        return mask;
    }

    DWORD GetLogicalDriveStringsA(DWORD bufferLength, char* buffer) override {
        std::string all;
        DWORD mask = GetLogicalDrives();
        for (int i = 0; i < 26; ++i)
            if (mask & (DWORD(1) << i)) all += std::string(1, char('A' + i)) + ":\\" + '\0';
        if (all.size() + 1 > bufferLength || !buffer) return DWORD(all.size() + 1);
        std::copy(all.begin(), all.end(), buffer);
        buffer[all.size()] = 0;
        return DWORD(all.size());
    }

    UINT GetDriveTypeA(const char* rootPathName) override {
        char letter = rootPathName ? driveLetterOf(rootPathName) : 'C';
        if (!letter || (rootPathName && rootPathName[2] != 0 && !(rootPathName[2] == '\\' && rootPathName[3] == 0)))
            return DRIVE_NO_ROOT_DIR;
        const LetterEntry* entry = letterEntry(m_ctx, letter);
        return entry ? entry->target.driveType : DRIVE_NO_ROOT_DIR;
    }

    DWORD GetVolumeMountsA(const char* rootPath, char* buffer, DWORD bufferLength) override {
        const char letter = rootPath ? driveLetterOf(rootPath) : 0;
        std::string text;
        if (letter)
            for (const VolumeMount& mount : mountsOfVolume(m_ctx, letter))
                text += (text.empty() ? "" : "\n") + mount.device + " on " + mount.target;
        if (!text.empty() && !copyText(buffer, bufferLength, text)) {
            m_ctx.setLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        m_ctx.setLastError(letter ? ERROR_SUCCESS : ERROR_INVALID_NAME);
        return DWORD(text.size());
    }

    BOOL DismountVolumeA(const char* rootPath) override {
        const char letter = rootPath ? driveLetterOf(rootPath) : 0;
        if (!letter) return failWith(ERROR_INVALID_NAME);
        const int error = dismountVolume(m_ctx, letter);
        if (error != 0) return failWith(error == EBUSY ? ERROR_BUSY : win32ErrorFromErrno(error));
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL RemountVolumeA(const char* rootPath) override {
        const char letter = rootPath ? driveLetterOf(rootPath) : 0;
        if (!letter) return failWith(ERROR_INVALID_NAME);
        const int error = remountVolume(m_ctx, letter);
        if (error != 0) return failWith(win32ErrorFromErrno(error));
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL GetVolumeInformationA(const char* rootPathName, char* volumeNameBuffer, DWORD volumeNameSize,
                               DWORD* volumeSerialNumber, DWORD* maximumComponentLength, DWORD* fileSystemFlags,
                               char* fileSystemNameBuffer, DWORD fileSystemNameSize) override {
        Facts facts;
        if (!factsFor(rootPathName, facts)) {
            // A file system that is not mounted still has a name and a label on its device.
            const LetterEntry* unmounted = unmountedVolume(rootPathName);
            if (!unmounted) return FALSE;
            facts.volume.identity = unmounted->identity;
            facts.volume.fsType = unmounted->identity.type;
            facts.stat.st.f_namemax = 255;
        }
        std::string type = effectiveFsType(facts.volume.fsType, facts.volume.identity);
        std::string name = windowsFsName(type, facts.volume.identity.version);
        if (fileSystemNameBuffer && fileSystemNameSize && !copyText(fileSystemNameBuffer, fileSystemNameSize, name)) {
            m_ctx.setLastError(ERROR_BAD_LENGTH);
            return FALSE;
        }
        copyCut(volumeNameBuffer, volumeNameSize, facts.volume.identity.label);
        if (volumeSerialNumber) *volumeSerialNumber = volumeSerial(type, facts.volume.identity.uuid);
        if (maximumComponentLength) *maximumComponentLength = DWORD(facts.stat.st.f_namemax);
        if (fileSystemFlags)
            *fileSystemFlags = lnx::fileSystemFlags(type, facts.volume.readOnly || (facts.stat.st.f_flag & ST_RDONLY));
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL GetVolumeInformationW(const char16_t* rootPathName, char16_t* volumeNameBuffer, DWORD volumeNameSize,
                               DWORD* volumeSerialNumber, DWORD* maximumComponentLength, DWORD* fileSystemFlags,
                               char16_t* fileSystemNameBuffer, DWORD fileSystemNameSize) override {
        std::string root = utf8FromUtf16(rootPathName);
        char label[1024], fsName[256];
        BOOL ok = GetVolumeInformationA(rootPathName ? root.c_str() : nullptr, label, sizeof label, volumeSerialNumber,
                                        maximumComponentLength, fileSystemFlags, fsName, sizeof fsName);
        if (!ok) return FALSE;
        auto put = [this](char16_t* buffer, DWORD size, const std::string& text) {
            if (!buffer || size == 0) return true;
            std::u16string wide = utf16FromUtf8(text);
            if (wide.size() + 1 > size) {
                buffer[0] = 0;
                m_ctx.setLastError(ERROR_BAD_LENGTH);
                return false;
            }
            std::copy(wide.begin(), wide.end(), buffer);
            buffer[wide.size()] = 0;
            return true;
        };
        return put(volumeNameBuffer, volumeNameSize, label) && put(fileSystemNameBuffer, fileSystemNameSize, fsName)
                   ? TRUE
                   : FALSE;
    }

    BOOL GetDiskFreeSpaceExA(const char* directoryName, ULONGLONG* freeBytesAvailableToCaller,
                             ULONGLONG* totalNumberOfBytes, ULONGLONG* totalNumberOfFreeBytes) override {
        Facts facts;
        if (!factsFor(directoryName, facts, true)) return FALSE;
        uint64_t unit = facts.stat.st.f_frsize ? facts.stat.st.f_frsize : facts.stat.st.f_bsize;
        if (freeBytesAvailableToCaller) *freeBytesAvailableToCaller = uint64_t(facts.stat.st.f_bavail) * unit;
        if (totalNumberOfBytes) *totalNumberOfBytes = uint64_t(facts.stat.st.f_blocks) * unit;
        if (totalNumberOfFreeBytes) *totalNumberOfFreeBytes = uint64_t(facts.stat.st.f_bfree) * unit;
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL GetDiskFreeSpaceA(const char* rootPathName, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                           DWORD* numberOfFreeClusters, DWORD* totalNumberOfClusters) override {
        Facts facts;
        if (!factsFor(rootPathName, facts)) return FALSE;
        uint64_t cluster = facts.stat.st.f_frsize ? facts.stat.st.f_frsize : facts.stat.st.f_bsize;
        uint64_t sector = facts.volume.bytesPerSector ? facts.volume.bytesPerSector : 512;
        // A cluster is one block of the file system. When a block is smaller than the
        // device's sector (or no whole multiple of it), the block counts as the sector.
        if (cluster < sector || cluster % sector != 0) sector = cluster ? cluster : 512;
        if (sectorsPerCluster) *sectorsPerCluster = saturated(cluster ? cluster / sector : 1);
        if (bytesPerSector) *bytesPerSector = saturated(sector);
        if (numberOfFreeClusters) *numberOfFreeClusters = saturated(facts.stat.st.f_bavail);
        if (totalNumberOfClusters) *totalNumberOfClusters = saturated(facts.stat.st.f_blocks);
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    UINT SetErrorMode(UINT mode) override {
        UINT previous = m_errorMode;
        m_errorMode = mode;
        return previous;
    }

    DWORD QueryDosDeviceA(const char* deviceName, char* targetPath, DWORD ucchMax) override {
        std::vector<std::string> items;
        if (!deviceName) {
            for (char letter = 'A'; letter <= 'Z'; ++letter)
                if (letterEntry(m_ctx, letter)) items.push_back(std::string(1, letter) + ":");
        } else {
            char letter = driveLetterOf(deviceName);
            const LetterEntry* entry = letter && deviceName[2] == 0 ? letterEntry(m_ctx, letter) : nullptr;
            if (!entry) {
                m_ctx.setLastError(ERROR_FILE_NOT_FOUND);
                return 0;
            }
            if (entry->target.substitute) {
                SubstDefinitions table = loadSubstitutes(m_ctx);
                items = table[letter];
            } else if (!entry->target.devNode.empty()) {
                items.push_back(entry->target.devNode);
            } else {
                items.push_back(entry->target.source);
            }
        }
        std::string all;
        for (const auto& item : items) all += item + '\0';
        all += '\0';
        if (!targetPath || all.size() > ucchMax) {
            m_ctx.setLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::copy(all.begin(), all.end(), targetPath);
        m_ctx.setLastError(ERROR_SUCCESS);
        return DWORD(all.size());
    }

    BOOL DefineDosDeviceA(DWORD flags, const char* deviceName, const char* targetPath) override {
        char letter = driveLetterOf(deviceName);
        if (!letter || deviceName[2] != 0) {
            m_ctx.setLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        return defineSubstitute(m_ctx, flags, letter, targetPath);
    }

    // Linux keeps no 8.3 names; like Windows on a volume without them, the short form of an
    // existing path is the path itself.
    DWORD GetShortPathNameA(const char* longPath, char* shortPath, DWORD bufferLength) override {
        std::optional<std::string> host = longPath ? hostPathFor(m_ctx, longPath) : std::nullopt;
        const PathStat st = host ? statPath(m_ctx, *host, guardOf(m_ctx, *host)) : PathStat{};
        if (!st.ok) {
            m_ctx.setLastError(!host ? ERROR_PATH_NOT_FOUND
                               : st.unavailable ? ERROR_NOT_READY : win32ErrorFromErrno(st.error));
            return 0;
        }
        std::string path = longPath;
        if (!shortPath || path.size() + 1 > bufferLength) return DWORD(path.size() + 1);
        copyText(shortPath, bufferLength, path);
        return DWORD(path.size());
    }

    HANDLE FindFirstVolumeA(char* volumeName, DWORD bufferLength) override {
        HandleEntry search;
        search.kind = HandleKind::VolumeSearch;
        search.searchItems = linuxVolumeNames(m_ctx);
        if (search.searchItems.empty()) {
            m_ctx.setLastError(ERROR_NO_MORE_FILES);
            return INVALID_HANDLE_VALUE;
        }
        if (!copyText(volumeName, bufferLength, search.searchItems[0])) {
            m_ctx.setLastError(ERROR_FILENAME_EXCED_RANGE);
            return INVALID_HANDLE_VALUE;
        }
        search.searchIndex = 1;
        m_ctx.setLastError(ERROR_SUCCESS);
        return m_ctx.addHandle(std::move(search));
    }

    BOOL FindNextVolumeA(HANDLE findVolume, char* volumeName, DWORD bufferLength) override {
        HandleEntry* search = m_ctx.handle(findVolume);
        if (!search || search->kind != HandleKind::VolumeSearch) {
            m_ctx.setLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        if (search->searchIndex >= search->searchItems.size()) {
            m_ctx.setLastError(ERROR_NO_MORE_FILES);
            return FALSE;
        }
        if (!copyText(volumeName, bufferLength, search->searchItems[search->searchIndex])) {
            m_ctx.setLastError(ERROR_FILENAME_EXCED_RANGE);
            return FALSE;
        }
        ++search->searchIndex;
        m_ctx.setLastError(ERROR_SUCCESS);
        return TRUE;
    }

    BOOL FindVolumeClose(HANDLE findVolume) override {
        HandleEntry* search = m_ctx.handle(findVolume);
        if (!search || search->kind != HandleKind::VolumeSearch) {
            m_ctx.setLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        m_ctx.removeHandle(findVolume);
        return TRUE;
    }

private:
    struct Facts {
        VolumeFacts volume;
        VolumeStat stat;
    };

    // The facts and live figures of the volume a path lies on; FALSE with the error set.
    BOOL failWith(DWORD error) {
        m_ctx.setLastError(error);
        return FALSE;
    }

    // The letter's entry when it stands for a volume with a known file system that is not
    // mounted; the error code of the failed query stays as it was.
    const LetterEntry* unmountedVolume(const char* rootPath) {
        const char letter = rootPath ? driveLetterOf(rootPath) : 0;
        const LetterEntry* entry = letter ? letterEntry(m_ctx, letter) : nullptr;
        if (!entry || !entry->device || !entry->hostRoot.empty() || !entry->identity.known || entry->identity.type.empty())
            return nullptr;
        return entry;
    }

    bool factsFor(const char* path, Facts& facts, bool anyFolder = false) {
        std::string given = path ? path : "C:\\";
        char letter = driveLetterOf(given.c_str());
        if (!letter || (!anyFolder && given.size() > 3) || (given.size() == 3 && given[2] != '\\' && given[2] != '/')) {
            m_ctx.setLastError(letter ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);
            return false;
        }
        const LetterEntry* entry = letterEntry(m_ctx, letter);
        if (!entry) {
            m_ctx.setLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        std::optional<VolumeFacts> volume = volumeFacts(m_ctx, *entry);
        if (!volume) {
            m_ctx.setLastError(entry->device ? ERROR_NOT_READY
                                             : entry->remembered ? ERROR_CONNECTION_UNAVAIL : ERROR_PATH_NOT_FOUND);
            return false;
        }
        facts.volume = *volume;
        std::string where = volume->statPath;
        if (anyFolder) {
            std::optional<std::string> host = hostPathFor(m_ctx, given);
            if (host) where = *host;
        }
        facts.stat = statVolume(m_ctx, where, volume->guarded);
        if (!facts.stat.ok) {
            m_ctx.setLastError(facts.stat.unavailable ? ERROR_NOT_READY : win32ErrorFromErrno(facts.stat.error));
            return false;
        }
        return true;
    }

    LinuxContext& m_ctx;
    UINT m_errorMode = 0;
};

}  // namespace

std::unique_ptr<platform::IDrives> makeLinuxDrives(LinuxContext& ctx) { return std::make_unique<LinuxDrives>(ctx); }

}  // namespace zv::lnx
