#include "platform/sim/sim_drives.h"

#include "common/utf.h"
#include "platform/sim/sim_text.h"

#include <algorithm>

namespace zv::sim {

namespace {

// "X:\" or "X:" as GetDriveTypeA accepts them; 0 for anything else.
char rootLetter(const std::string& root, bool backslashRequired) {
    if (root.size() == 3 && (root[2] == '\\' || root[2] == '/') && root[1] == ':') return letterOf(root);
    if (!backslashRequired && root.size() == 2 && root[1] == ':') return letterOf(root);
    return 0;
}

DWORD clampDword(uint64_t value) { return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : DWORD(value); }

}  // namespace

DWORD networkVolumeError(const SimCore& core, const SimDrive& drive) {
    if (drive.type != DRIVE_REMOTE) return 0;
    auto found = core.machine().connections.find(drive.letter);
    if (found == core.machine().connections.end()) return 0;
    if (found->second.state == SimConnection::State::Unavailable) return ERROR_BAD_NETPATH;
    if (found->second.state == SimConnection::State::Failing) return found->second.error;
    return 0;
}

DWORD SimDrives::GetLogicalDrives() {
    CallRecord call(m_core, "GetLogicalDrives", {});
    if (auto error = m_core.fault({"GetLogicalDrives"})) {
        m_core.setLastError(*error);
        return call.result<DWORD>(0, "0 (" + std::to_string(*error) + ")");
    }
    DWORD mask = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (m_core.letterDefined(letter)) mask |= 1u << (letter - 'A');
    return call.result(mask, renderHex(mask));
}

DWORD SimDrives::GetLogicalDriveStringsA(DWORD bufferLength, char* buffer) {
    CallRecord call(m_core, "GetLogicalDriveStringsA", {std::to_string(bufferLength), renderPointer(buffer)});
    if (auto error = m_core.fault({"GetLogicalDriveStringsA"})) {
        m_core.setLastError(*error);
        return call.result<DWORD>(0, "0 (" + std::to_string(*error) + ")");
    }
    std::string strings;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (!m_core.letterDefined(letter)) continue;
        strings += letter;
        strings += ":\\";
        strings.push_back('\0');
    }
    const DWORD length = DWORD(strings.size());
    if (!buffer || bufferLength < length + 1) return call.result(length + 1, std::to_string(length + 1) + " (needed)");
    std::copy(strings.begin(), strings.end(), buffer);
    buffer[length] = '\0';
    return call.result(length, std::to_string(length));
}

UINT SimDrives::GetDriveTypeA(const char* rootPathName) {
    CallRecord call(m_core, "GetDriveTypeA", {renderText(rootPathName)});
    const std::string root = rootPathName ? rootPathName : "C:\\";
    char letter = rootLetter(root, false);
    if (auto error = m_core.fault({"GetDriveTypeA", letter, root})) {
        m_core.setLastError(*error);
        return call.result<UINT>(DRIVE_UNKNOWN, "0");
    }
    UINT type = DRIVE_NO_ROOT_DIR;
    if (letter) {
        type = m_core.driveType(letter);
    } else {
        for (const auto& drive : m_core.machine().drives)
            if (!drive->volumeGuid.empty() && equalsNoCase(drive->volumeGuid, root)) type = drive->type;
        for (const auto& volume : m_core.machine().volumes)
            if (equalsNoCase(volume.guid, root)) type = DRIVE_FIXED;
    }
    return call.result(type, std::to_string(type));
}

SimDrives::VolumeFacts SimDrives::volumeOf(const std::string& root) {
    VolumeFacts facts;
    const char letter = rootLetter(root, true);
    if (!letter) {
        for (const auto& drive : m_core.machine().drives) {
            if (drive->volumeGuid.empty() || !equalsNoCase(drive->volumeGuid, root)) continue;
            if (!drive->mediumPresent) facts.error = ERROR_NOT_READY;
            else if (drive->volume.error) facts.error = drive->volume.error;
            else facts.volume = &drive->volume;
            return facts;
        }
        for (const auto& volume : m_core.machine().volumes) {
            if (!equalsNoCase(volume.guid, root)) continue;
            if (volume.volume.error) facts.error = volume.volume.error;
            else facts.volume = &volume.volume;
            return facts;
        }
        facts.error = rootLetter(root, false) ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND;
        return facts;
    }
    const SimDrive* drive = m_core.drive(letter);
    if (!drive) {
        facts.error = ERROR_PATH_NOT_FOUND;
    } else if (!drive->mediumPresent) {
        facts.error = ERROR_NOT_READY;
        m_core.noteMissingMedium(letter);
    } else if (DWORD network = networkVolumeError(m_core, *drive)) {
        facts.error = network;
    } else if (drive->volume.error) {
        facts.error = drive->volume.error;
    } else {
        facts.volume = &drive->volume;
    }
    return facts;
}

BOOL SimDrives::GetVolumeInformationA(const char* rootPathName, char* volumeNameBuffer, DWORD volumeNameSize,
                                      DWORD* volumeSerialNumber, DWORD* maximumComponentLength,
                                      DWORD* fileSystemFlags, char* fileSystemNameBuffer,
                                      DWORD fileSystemNameSize) {
    CallRecord call(m_core, "GetVolumeInformationA",
                    {renderText(rootPathName), renderPointer(volumeNameBuffer), std::to_string(volumeNameSize),
                     renderPointer(volumeSerialNumber), renderPointer(maximumComponentLength),
                     renderPointer(fileSystemFlags), renderPointer(fileSystemNameBuffer),
                     std::to_string(fileSystemNameSize)});
    const std::string root = rootPathName ? rootPathName : "C:\\";
    if (auto error = m_core.fault({"GetVolumeInformationA", letterOf(root), root})) return call.fail(*error);
    const VolumeFacts facts = volumeOf(root);
    if (!facts.volume) return call.fail(facts.error);
    const SimVolume& v = *facts.volume;
    if (volumeNameBuffer && !copyText(v.label, volumeNameBuffer, volumeNameSize)) return call.fail(ERROR_BAD_LENGTH);
    if (fileSystemNameBuffer && !copyText(v.fileSystem, fileSystemNameBuffer, fileSystemNameSize))
        return call.fail(ERROR_BAD_LENGTH);
    if (volumeSerialNumber) *volumeSerialNumber = v.serial;
    if (maximumComponentLength) *maximumComponentLength = v.maxComponentLength;
    if (fileSystemFlags) *fileSystemFlags = v.flags;
    call.note("label \"" + v.label + "\" serial " + renderHex(v.serial) + " " + v.fileSystem);
    return call.succeed();
}

BOOL SimDrives::GetVolumeInformationW(const char16_t* rootPathName, char16_t* volumeNameBuffer,
                                      DWORD volumeNameSize, DWORD* volumeSerialNumber,
                                      DWORD* maximumComponentLength, DWORD* fileSystemFlags,
                                      char16_t* fileSystemNameBuffer, DWORD fileSystemNameSize) {
    CallRecord call(m_core, "GetVolumeInformationW",
                    {renderText(rootPathName), renderPointer(volumeNameBuffer), std::to_string(volumeNameSize),
                     renderPointer(volumeSerialNumber), renderPointer(maximumComponentLength),
                     renderPointer(fileSystemFlags), renderPointer(fileSystemNameBuffer),
                     std::to_string(fileSystemNameSize)});
    const std::string root = rootPathName ? utf8FromUtf16(rootPathName) : "C:\\";
    if (auto error = m_core.fault({"GetVolumeInformationW", letterOf(root), root})) return call.fail(*error);
    const VolumeFacts facts = volumeOf(root);
    if (!facts.volume) return call.fail(facts.error);
    const SimVolume& v = *facts.volume;
    if (volumeNameBuffer && !copyText(utf16FromUtf8(v.label), volumeNameBuffer, volumeNameSize))
        return call.fail(ERROR_BAD_LENGTH);
    if (fileSystemNameBuffer && !copyText(utf16FromUtf8(v.fileSystem), fileSystemNameBuffer, fileSystemNameSize))
        return call.fail(ERROR_BAD_LENGTH);
    if (volumeSerialNumber) *volumeSerialNumber = v.serial;
    if (maximumComponentLength) *maximumComponentLength = v.maxComponentLength;
    if (fileSystemFlags) *fileSystemFlags = v.flags;
    return call.succeed();
}

BOOL SimDrives::GetDiskFreeSpaceExA(const char* directoryName, ULONGLONG* freeBytesAvailableToCaller,
                                    ULONGLONG* totalNumberOfBytes, ULONGLONG* totalNumberOfFreeBytes) {
    CallRecord call(m_core, "GetDiskFreeSpaceExA",
                    {renderText(directoryName), renderPointer(freeBytesAvailableToCaller),
                     renderPointer(totalNumberOfBytes), renderPointer(totalNumberOfFreeBytes)});
    const std::string directory = directoryName ? directoryName : "C:\\";
    if (auto error = m_core.fault({"GetDiskFreeSpaceExA", letterOf(directory), directory})) return call.fail(*error);
    const ResolvedPath path = m_core.resolvePath(directory);
    if (path.error == ERROR_NOT_READY) m_core.noteMissingMedium(path.drive->letter);
    if (path.error) return call.fail(path.error);
    if (!m_core.folderExists(path.canonical)) return call.fail(ERROR_PATH_NOT_FOUND);
    if (DWORD network = networkVolumeError(m_core, *path.drive)) return call.fail(network);
    const SimSpace& space = path.drive->space;
    if (space.error) return call.fail(space.error);
    if (freeBytesAvailableToCaller) *freeBytesAvailableToCaller = space.freeToCallerNow();
    if (totalNumberOfBytes) *totalNumberOfBytes = space.total;
    if (totalNumberOfFreeBytes) *totalNumberOfFreeBytes = space.totalFreeNow();
    call.note("total " + std::to_string(space.total) + " free to caller " + std::to_string(space.freeToCallerNow()));
    return call.succeed();
}

BOOL SimDrives::GetDiskFreeSpaceA(const char* rootPathName, DWORD* sectorsPerCluster, DWORD* bytesPerSector,
                                  DWORD* numberOfFreeClusters, DWORD* totalNumberOfClusters) {
    CallRecord call(m_core, "GetDiskFreeSpaceA",
                    {renderText(rootPathName), renderPointer(sectorsPerCluster), renderPointer(bytesPerSector),
                     renderPointer(numberOfFreeClusters), renderPointer(totalNumberOfClusters)});
    const std::string root = rootPathName ? rootPathName : "C:\\";
    const char letter = rootLetter(root, true);
    if (auto error = m_core.fault({"GetDiskFreeSpaceA", letterOf(root), root})) return call.fail(*error);
    if (!letter) return call.fail(rootLetter(root, false) ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);
    const ResolvedPath path = m_core.resolvePath(root);
    if (path.error == ERROR_NOT_READY) m_core.noteMissingMedium(letter);
    if (path.error) return call.fail(path.error);
    if (DWORD network = networkVolumeError(m_core, *path.drive)) return call.fail(network);
    const SimSpace& space = path.drive->space;
    if (space.error) return call.fail(space.error);
    const uint64_t cluster = space.clusterSize();
    const uint64_t total = space.totalClusters ? *space.totalClusters : space.total / cluster;
    const int64_t consumedClusters = space.consumed >= 0 ? (space.consumed + int64_t(cluster) - 1) / int64_t(cluster)
                                                         : space.consumed / int64_t(cluster);
    const int64_t configured = int64_t(space.freeClusters ? *space.freeClusters : space.totalFree / cluster);
    const int64_t freeNow = configured - consumedClusters;
    const uint64_t free = freeNow < 0 ? 0 : std::min<uint64_t>(uint64_t(freeNow), total);
    if (sectorsPerCluster) *sectorsPerCluster = space.sectorsPerCluster;
    if (bytesPerSector) *bytesPerSector = space.bytesPerSector;
    if (numberOfFreeClusters) *numberOfFreeClusters = clampDword(free);
    if (totalNumberOfClusters) *totalNumberOfClusters = clampDword(total);
    return call.succeed();
}

UINT SimDrives::SetErrorMode(UINT mode) {
    CallRecord call(m_core, "SetErrorMode", {renderHex(mode)});
    m_core.fault({"SetErrorMode"});
    const UINT previous = m_core.errorMode();
    m_core.setErrorMode(mode);
    return call.result(previous, renderHex(previous));
}

DWORD SimDrives::QueryDosDeviceA(const char* deviceName, char* targetPath, DWORD ucchMax) {
    CallRecord call(m_core, "QueryDosDeviceA", {renderText(deviceName), renderPointer(targetPath), std::to_string(ucchMax)});
    const std::string name = deviceName ? deviceName : "";
    const char letter = parseLetter(name);
    if (auto error = m_core.fault({"QueryDosDeviceA", letter, name})) {
        m_core.setLastError(*error);
        return call.result<DWORD>(0, "0 (" + std::to_string(*error) + ")");
    }
    std::string strings;
    if (!deviceName) {
        for (char l = 'A'; l <= 'Z'; ++l)
            if (m_core.letterDefined(l)) strings += std::string(1, l) + ":" + '\0';
    } else if (name.size() == 2 && letter && m_core.letterDefined(letter)) {
        const auto& stack = m_core.machine().definitions[letter - 'A'];
        for (auto it = stack.rbegin(); it != stack.rend(); ++it) strings += SimCore::definitionText(*it) + '\0';
    } else {
        m_core.setLastError(ERROR_FILE_NOT_FOUND);
        return call.result<DWORD>(0, "0 (2)");
    }
    strings.push_back('\0');
    if (!targetPath || strings.size() > ucchMax) {
        m_core.setLastError(ERROR_INSUFFICIENT_BUFFER);
        return call.result<DWORD>(0, "0 (122)");
    }
    std::copy(strings.begin(), strings.end(), targetPath);
    call.note("first target \"" + std::string(targetPath) + "\"");
    return call.result(DWORD(strings.size()), std::to_string(strings.size()));
}

BOOL SimDrives::DefineDosDeviceA(DWORD flags, const char* deviceName, const char* targetPath) {
    CallRecord call(m_core, "DefineDosDeviceA", {renderHex(flags), renderText(deviceName), renderText(targetPath)});
    const std::string name = deviceName ? deviceName : "";
    const char letter = name.size() == 2 ? parseLetter(name) : 0;
    if (auto error = m_core.fault({"DefineDosDeviceA", letter, name})) return call.fail(*error);
    if (!letter) return call.fail(ERROR_INVALID_NAME);
    auto& stack = m_core.machine().definitions[letter - 'A'];
    const bool raw = flags & DDD_RAW_TARGET_PATH;
    if (!(flags & DDD_REMOVE_DEFINITION)) {
        if (!targetPath) return call.fail(ERROR_INVALID_PARAMETER);
        stack.push_back(SimDosDefinition{nullptr, raw ? std::string(targetPath) : "\\??\\" + std::string(targetPath)});
        call.note(std::string("defined ") + letter + ": -> " + stack.back().target);
        return call.succeed();
    }
    if (stack.empty()) return call.fail(ERROR_FILE_NOT_FOUND);
    // Without a target the system takes away the newest definition, whatever it is: an
    // ordinary volume's letter included.
    if (!targetPath || !*targetPath) {
        call.note(std::string("removed newest definition of ") + letter + ": " + SimCore::definitionText(stack.back()));
        stack.pop_back();
        return call.succeed();
    }
    const std::string wanted = raw ? std::string(targetPath) : "\\??\\" + std::string(targetPath);
    const bool exact = flags & DDD_EXACT_MATCH_ON_REMOVE;
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        const std::string text = SimCore::definitionText(*it);
        if (exact ? equalsNoCase(text, wanted) : startsWithNoCase(text, wanted)) {
            call.note(std::string("removed ") + letter + ": -> " + text);
            stack.erase(std::next(it).base());
            return call.succeed();
        }
    }
    return call.fail(ERROR_FILE_NOT_FOUND);
}

DWORD SimDrives::GetShortPathNameA(const char* longPath, char* shortPath, DWORD bufferLength) {
    CallRecord call(m_core, "GetShortPathNameA", {renderText(longPath), renderPointer(shortPath), std::to_string(bufferLength)});
    if (!longPath) {
        m_core.setLastError(ERROR_INVALID_PARAMETER);
        return call.result<DWORD>(0, "0 (87)");
    }
    if (auto error = m_core.fault({"GetShortPathNameA", letterOf(longPath), longPath})) {
        m_core.setLastError(*error);
        return call.result<DWORD>(0, "0 (" + std::to_string(*error) + ")");
    }
    const std::string canonical = canonicalPath(longPath);
    std::string answer;
    auto listed = m_core.machine().shortNames.find(canonical);
    if (listed != m_core.machine().shortNames.end()) {
        answer = listed->second.shortPath;
    } else {
        const ResolvedPath path = m_core.resolvePath(longPath);
        if (path.error || (!m_core.folderExists(path.canonical) && !m_core.machine().files.count(path.canonical))) {
            m_core.setLastError(path.error && path.error != ERROR_PATH_NOT_FOUND ? path.error : ERROR_FILE_NOT_FOUND);
            return call.result<DWORD>(0, "0 (" + std::to_string(m_core.lastError()) + ")");
        }
        answer = longPath;
    }
    if (!shortPath || bufferLength < answer.size() + 1)
        return call.result(DWORD(answer.size() + 1), std::to_string(answer.size() + 1) + " (needed)");
    copyText(answer, shortPath, bufferLength);
    call.note("\"" + answer + "\"");
    return call.result(DWORD(answer.size()), std::to_string(answer.size()));
}

std::vector<std::string> SimDrives::volumeNames() const {
    std::vector<const SimDrive*> drives;
    for (const auto& drive : m_core.machine().drives)
        if (!drive->volumeGuid.empty()) drives.push_back(drive.get());
    std::stable_sort(drives.begin(), drives.end(), [](const SimDrive* a, const SimDrive* b) { return a->letter < b->letter; });
    std::vector<std::string> names;
    for (const SimDrive* drive : drives) names.push_back(drive->volumeGuid);
    for (const auto& volume : m_core.machine().volumes) names.push_back(volume.guid);
    return names;
}

HANDLE SimDrives::FindFirstVolumeA(char* volumeName, DWORD bufferLength) {
    CallRecord call(m_core, "FindFirstVolumeA", {renderPointer(volumeName), std::to_string(bufferLength)});
    auto failed = [&](DWORD error) {
        m_core.setLastError(error);
        return call.result(INVALID_HANDLE_VALUE, "INVALID_HANDLE_VALUE (" + std::to_string(error) + ")");
    };
    if (auto error = m_core.fault({"FindFirstVolumeA"})) return failed(*error);
    SimHandle search;
    search.kind = SimHandle::Kind::VolumeSearch;
    search.volumeNames = volumeNames();
    if (search.volumeNames.empty()) return failed(ERROR_NO_MORE_FILES);
    if (!copyText(search.volumeNames.front(), volumeName, bufferLength)) return failed(ERROR_FILENAME_EXCED_RANGE);
    search.nextVolume = 1;
    const HANDLE handle = m_core.addHandle(std::move(search));
    call.note(std::string("\"") + volumeName + "\"");
    return call.result(handle, std::to_string(handle));
}

BOOL SimDrives::FindNextVolumeA(HANDLE findVolume, char* volumeName, DWORD bufferLength) {
    CallRecord call(m_core, "FindNextVolumeA", {std::to_string(findVolume), renderPointer(volumeName), std::to_string(bufferLength)});
    if (auto error = m_core.fault({"FindNextVolumeA"})) return call.fail(*error);
    SimHandle* search = m_core.handle(findVolume);
    if (!search || search->kind != SimHandle::Kind::VolumeSearch) return call.fail(ERROR_INVALID_HANDLE);
    if (search->nextVolume >= search->volumeNames.size()) return call.fail(ERROR_NO_MORE_FILES);
    if (!copyText(search->volumeNames[search->nextVolume], volumeName, bufferLength))
        return call.fail(ERROR_FILENAME_EXCED_RANGE);
    ++search->nextVolume;
    call.note(std::string("\"") + volumeName + "\"");
    return call.succeed();
}

BOOL SimDrives::FindVolumeClose(HANDLE findVolume) {
    CallRecord call(m_core, "FindVolumeClose", {std::to_string(findVolume)});
    if (auto error = m_core.fault({"FindVolumeClose"})) return call.fail(*error);
    SimHandle* search = m_core.handle(findVolume);
    if (!search || search->kind != SimHandle::Kind::VolumeSearch) return call.fail(ERROR_INVALID_HANDLE);
    m_core.closeHandle(findVolume);
    return call.succeed();
}

// The simulated machine has no mount points: its volumes are always reachable, nothing is
// mounted that could be taken off.
DWORD SimDrives::GetVolumeMountsA(const char* rootPath, char* buffer, DWORD bufferLength) {
    CallRecord call(m_core, "GetVolumeMountsA", {renderText(rootPath), renderPointer(buffer), std::to_string(bufferLength)});
    if (auto error = m_core.fault({"GetVolumeMountsA"})) {
        m_core.setLastError(*error);
        return call.result<DWORD>(0, "0 (" + std::to_string(*error) + ")");
    }
    m_core.setLastError(ERROR_SUCCESS);
    return call.result<DWORD>(0, "0");
}

BOOL SimDrives::DismountVolumeA(const char* rootPath) {
    CallRecord call(m_core, "DismountVolumeA", {renderText(rootPath)});
    return call.fail(ERROR_NOT_SUPPORTED);
}

BOOL SimDrives::RemountVolumeA(const char* rootPath) {
    CallRecord call(m_core, "RemountVolumeA", {renderText(rootPath)});
    return call.succeed();
}

}  // namespace zv::sim
