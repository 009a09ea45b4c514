// Files on drive letters: creation dispositions, share modes, delete-on-close, positions,
// reads that take time on the drive's medium, writes that use up its free space.
#include "platform/sim/sim_io.h"

#include "platform/sim/sim_text.h"

#include <algorithm>

namespace zv::sim {

namespace {

constexpr DWORD TRUNCATE_EXISTING = 5;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;

bool wantsRead(DWORD access) { return access & (GENERIC_READ | 0x1u /*FILE_READ_DATA*/ | 0x10000000u /*GENERIC_ALL*/); }
bool wantsWrite(DWORD access) { return access & (GENERIC_WRITE | 0x2u /*FILE_WRITE_DATA*/ | 0x4u | 0x10000000u); }

std::string renderDisposition(DWORD disposition) {
    switch (disposition) {
    case CREATE_NEW: return "CREATE_NEW";
    case CREATE_ALWAYS: return "CREATE_ALWAYS";
    case OPEN_EXISTING: return "OPEN_EXISTING";
    case OPEN_ALWAYS: return "OPEN_ALWAYS";
    case TRUNCATE_EXISTING: return "TRUNCATE_EXISTING";
    default: return std::to_string(disposition);
    }
}

}  // namespace

HANDLE SimIo::CreateFileA(const char* fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                          DWORD flagsAndAttributes) {
    return createFile("CreateFileA", renderText(fileName), desiredAccess, shareMode, creationDisposition,
                      flagsAndAttributes);
}

HANDLE SimIo::CreateFileW(const char16_t* fileName, DWORD desiredAccess, DWORD shareMode, DWORD creationDisposition,
                          DWORD flagsAndAttributes) {
    return createFile("CreateFileW", renderText(fileName), desiredAccess, shareMode, creationDisposition,
                      flagsAndAttributes);
}

HANDLE SimIo::createFile(const char* operation, const std::string& name, DWORD access, DWORD share,
                         DWORD disposition, DWORD flags) {
    CallRecord call(m_core, operation,
                    {name, renderHex(access), renderHex(share), renderDisposition(disposition), renderHex(flags)});
    const bool device = name.rfind("\\\\.\\", 0) == 0;
    const char letter = device ? parseLetter(name.substr(4)) : letterOf(name);
    if (auto error = m_core.fault({operation, letter, name})) {
        m_core.setLastError(*error);
        return call.result(INVALID_HANDLE_VALUE, "INVALID_HANDLE_VALUE (" + std::to_string(*error) + ")");
    }
    if (device) return openDevice(call, operation, name, access, share, disposition, flags);
    return openFile(call, operation, name, access, share, disposition, flags);
}

DWORD SimIo::shareConflict(SimHandle::Kind kind, const std::string& path, const SimDrive* drive, DWORD access,
                           DWORD share) const {
    for (const auto& [value, other] : m_core.handles()) {
        if (other.kind != kind) continue;
        if (kind == SimHandle::Kind::File ? other.path != path : other.drive != drive || !drive) continue;
        const bool newRefused = (wantsRead(access) && !(other.share & FILE_SHARE_READ)) ||
                                (wantsWrite(access) && !(other.share & FILE_SHARE_WRITE));
        const bool oldRefused = (wantsRead(other.access) && !(share & FILE_SHARE_READ)) ||
                                (wantsWrite(other.access) && !(share & FILE_SHARE_WRITE));
        if (newRefused || oldRefused) return ERROR_SHARING_VIOLATION;
    }
    return 0;
}

DWORD SimIo::writeRefusal(const SimDrive& drive, const SimFile* file) const {
    if (drive.readOnlyError) return drive.readOnlyError;
    if (drive.type == DRIVE_CDROM) return ERROR_ACCESS_DENIED;
    if (file && file->readOnly) return ERROR_ACCESS_DENIED;
    return 0;
}

HANDLE SimIo::openFile(CallRecord& call, const char*, const std::string& name, DWORD access, DWORD share,
                       DWORD disposition, DWORD flags) {
    auto failed = [&](DWORD error) {
        m_core.setLastError(error);
        return call.result(INVALID_HANDLE_VALUE, "INVALID_HANDLE_VALUE (" + std::to_string(error) + ")");
    };
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return failed(ERROR_INVALID_PARAMETER);
    const ResolvedPath path = m_core.resolvePath(name);
    if (path.error == ERROR_NOT_READY) m_core.noteMissingMedium(path.drive->letter);
    if (path.error) return failed(path.error);
    if (m_core.folderExists(path.canonical)) return failed(ERROR_ACCESS_DENIED);
    const std::string parent = parentPath(path.canonical);
    if (!m_core.folderExists(parent)) return failed(ERROR_PATH_NOT_FOUND);

    auto& files = m_core.machine().files;
    auto found = files.find(path.canonical);
    const bool exists = found != files.end();
    if (disposition == CREATE_NEW && exists) return failed(ERROR_FILE_EXISTS);
    if ((disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) && !exists) return failed(ERROR_FILE_NOT_FOUND);
    if (disposition == TRUNCATE_EXISTING && !wantsWrite(access)) return failed(ERROR_INVALID_PARAMETER);
    const bool truncates = exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    if (!exists || truncates || wantsWrite(access) || (flags & FILE_FLAG_DELETE_ON_CLOSE)) {
        if (DWORD refusal = writeRefusal(*path.drive, exists ? &found->second : nullptr)) return failed(refusal);
    }
    if (!exists && parent.size() == 3 && !path.drive->rootWritable) return failed(ERROR_ACCESS_DENIED);
    if (DWORD conflict = shareConflict(SimHandle::Kind::File, path.canonical, nullptr, access, share)) return failed(conflict);

    if (!exists) {
        SimFile file;
        file.path = name;
        found = files.emplace(path.canonical, std::move(file)).first;
        call.note("created " + path.canonical);
    } else if (truncates) {
        path.drive->space.consumed -= int64_t(found->second.size);
        found->second.truncate();
        call.note("truncated " + path.canonical);
    }
    ++found->second.openCount;
    if (flags & FILE_FLAG_DELETE_ON_CLOSE) found->second.deleteOnClose = true;

    SimHandle handle;
    handle.kind = SimHandle::Kind::File;
    handle.access = access;
    handle.share = share;
    handle.flags = flags;
    handle.path = path.canonical;
    handle.drive = path.drive;
    const HANDLE value = m_core.addHandle(std::move(handle));
    m_core.setLastError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS : 0);
    return call.result(value, std::to_string(value));
}

void SimIo::releaseFile(const std::string& canonical) {
    auto& files = m_core.machine().files;
    auto found = files.find(canonical);
    if (found == files.end()) return;
    if (--found->second.openCount > 0 || !found->second.deleteOnClose) return;
    const ResolvedPath path = m_core.resolvePath(canonical);
    if (path.drive) path.drive->space.consumed -= int64_t(found->second.size);
    files.erase(found);
    m_core.note("deleted " + canonical + " at close");
}

BOOL SimIo::CloseHandle(HANDLE handle) {
    CallRecord call(m_core, "CloseHandle", {std::to_string(handle)});
    if (auto error = m_core.fault({"CloseHandle"})) return call.fail(*error);
    SimHandle* entry = m_core.handle(handle);
    if (!entry || entry->kind == SimHandle::Kind::VolumeSearch) return call.fail(ERROR_INVALID_HANDLE);
    const std::string path = entry->kind == SimHandle::Kind::File ? entry->path : std::string();
    m_core.closeHandle(handle);
    if (!path.empty()) releaseFile(path);
    return call.succeed();
}

DWORD SimIo::SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
    CallRecord call(m_core, "SetFilePointer",
                    {std::to_string(file), std::to_string(distanceToMove),
                     distanceToMoveHigh ? std::to_string(*distanceToMoveHigh) : "(null)", std::to_string(moveMethod)});
    auto failed = [&](DWORD error) {
        m_core.setLastError(error);
        return call.result(INVALID_SET_FILE_POINTER, "INVALID_SET_FILE_POINTER (" + std::to_string(error) + ")");
    };
    SimHandle* entry = m_core.handle(file);
    if (auto error = m_core.fault({"SetFilePointer", entry && entry->drive ? entry->drive->letter : char(0), entry ? entry->path : ""}))
        return failed(*error);
    if (!entry) return failed(ERROR_INVALID_HANDLE);
    if (entry->kind != SimHandle::Kind::File) return failed(ERROR_INVALID_FUNCTION);
    const int64_t distance = distanceToMoveHigh
                                 ? int64_t((uint64_t(uint32_t(*distanceToMoveHigh)) << 32) | uint32_t(distanceToMove))
                                 : int64_t(distanceToMove);
    int64_t base = 0;
    switch (moveMethod) {
    case FILE_BEGIN: base = 0; break;
    case FILE_CURRENT: base = int64_t(entry->position); break;
    case FILE_END: base = int64_t(m_core.machine().files.at(entry->path).size); break;
    default: return failed(ERROR_INVALID_PARAMETER);
    }
    const int64_t position = base + distance;
    if (position < 0) return failed(ERROR_NEGATIVE_SEEK);
    entry->position = uint64_t(position);
    if (distanceToMoveHigh) *distanceToMoveHigh = LONG(uint32_t(uint64_t(position) >> 32));
    m_core.setLastError(0);
    return call.result(DWORD(uint64_t(position)), std::to_string(uint64_t(position)));
}

BOOL SimIo::ReadFile(HANDLE file, void* buffer, DWORD numberOfBytesToRead, DWORD* numberOfBytesRead) {
    CallRecord call(m_core, "ReadFile", {std::to_string(file), renderPointer(buffer), std::to_string(numberOfBytesToRead)});
    if (numberOfBytesRead) *numberOfBytesRead = 0;
    SimHandle* entry = m_core.handle(file);
    if (auto error = m_core.fault({"ReadFile", entry && entry->drive ? entry->drive->letter : char(0), entry ? entry->path : ""}))
        return call.fail(*error);
    if (!entry) return call.fail(ERROR_INVALID_HANDLE);
    if (entry->kind != SimHandle::Kind::File) return call.fail(ERROR_INVALID_FUNCTION);
    if (!wantsRead(entry->access)) return call.fail(ERROR_ACCESS_DENIED);
    if (!buffer && numberOfBytesToRead) return call.fail(ERROR_NOACCESS);
    if (!entry->drive->mediumPresent) return call.fail(ERROR_NOT_READY);
    const DWORD sector = entry->drive->space.bytesPerSector;
    if ((entry->flags & FILE_FLAG_NO_BUFFERING) && (numberOfBytesToRead % sector || entry->position % sector))
        return call.fail(ERROR_INVALID_PARAMETER);
    const SimFile& data = m_core.machine().files.at(entry->path);
    const uint64_t available = data.size > entry->position ? data.size - entry->position : 0;
    const DWORD count = DWORD(std::min<uint64_t>(available, numberOfBytesToRead));
    data.read(entry->position, static_cast<uint8_t*>(buffer), count);
    entry->position += count;
    m_core.advanceClock(uint64_t(count) * 1000000000ull / entry->drive->readSpeed);
    if (numberOfBytesRead) *numberOfBytesRead = count;
    call.note(std::to_string(count) + " bytes read");
    return call.succeed();
}

BOOL SimIo::WriteFile(HANDLE file, const void* buffer, DWORD numberOfBytesToWrite, DWORD* numberOfBytesWritten) {
    CallRecord call(m_core, "WriteFile", {std::to_string(file), renderPointer(buffer), std::to_string(numberOfBytesToWrite)});
    if (numberOfBytesWritten) *numberOfBytesWritten = 0;
    SimHandle* entry = m_core.handle(file);
    if (auto error = m_core.fault({"WriteFile", entry && entry->drive ? entry->drive->letter : char(0), entry ? entry->path : ""}))
        return call.fail(*error);
    if (!entry) return call.fail(ERROR_INVALID_HANDLE);
    if (entry->kind != SimHandle::Kind::File) return call.fail(ERROR_INVALID_FUNCTION);
    if (!wantsWrite(entry->access)) return call.fail(ERROR_ACCESS_DENIED);
    if (!buffer && numberOfBytesToWrite) return call.fail(ERROR_NOACCESS);
    SimDrive& drive = *entry->drive;
    if (!drive.mediumPresent) return call.fail(ERROR_NOT_READY);
    SimFile& data = m_core.machine().files.at(entry->path);
    if (DWORD refusal = writeRefusal(drive, &data)) return call.fail(refusal);
    const DWORD sector = drive.space.bytesPerSector;
    if ((entry->flags & FILE_FLAG_NO_BUFFERING) && (numberOfBytesToWrite % sector || entry->position % sector))
        return call.fail(ERROR_INVALID_PARAMETER);
    const uint64_t end = entry->position + numberOfBytesToWrite;
    const uint64_t growth = end > data.size ? end - data.size : 0;
    if (growth > drive.space.freeToCallerNow()) return call.fail(ERROR_DISK_FULL);
    data.write(entry->position, static_cast<const uint8_t*>(buffer), numberOfBytesToWrite);
    drive.space.consumed += int64_t(growth);
    entry->position = end;
    if (numberOfBytesWritten) *numberOfBytesWritten = numberOfBytesToWrite;
    return call.succeed();
}

BOOL SimIo::FlushFileBuffers(HANDLE file) {
    CallRecord call(m_core, "FlushFileBuffers", {std::to_string(file)});
    SimHandle* entry = m_core.handle(file);
    if (auto error = m_core.fault({"FlushFileBuffers", entry && entry->drive ? entry->drive->letter : char(0), entry ? entry->path : ""}))
        return call.fail(*error);
    if (!entry || entry->kind != SimHandle::Kind::File) return call.fail(ERROR_INVALID_HANDLE);
    if (!wantsWrite(entry->access)) return call.fail(ERROR_ACCESS_DENIED);
    return call.succeed();
}

BOOL SimIo::DeleteFileA(const char* fileName) {
    CallRecord call(m_core, "DeleteFileA", {renderText(fileName)});
    const std::string name = renderText(fileName);
    if (auto error = m_core.fault({"DeleteFileA", letterOf(name), name})) return call.fail(*error);
    if (!fileName) return call.fail(ERROR_PATH_NOT_FOUND);
    const ResolvedPath path = m_core.resolvePath(name);
    if (path.error) return call.fail(path.error);
    if (m_core.folderExists(path.canonical)) return call.fail(ERROR_ACCESS_DENIED);
    auto& files = m_core.machine().files;
    auto found = files.find(path.canonical);
    if (found == files.end())
        return call.fail(m_core.folderExists(parentPath(path.canonical)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    if (DWORD refusal = writeRefusal(*path.drive, &found->second)) return call.fail(refusal);
    for (const auto& [value, other] : m_core.handles())
        if (other.kind == SimHandle::Kind::File && other.path == path.canonical && !(other.share & FILE_SHARE_DELETE))
            return call.fail(ERROR_SHARING_VIOLATION);
    if (found->second.openCount > 0) {
        found->second.deleteOnClose = true;
        call.note("deleted at the last close");
        return call.succeed();
    }
    path.drive->space.consumed -= int64_t(found->second.size);
    files.erase(found);
    return call.succeed();
}

BOOL SimIo::FileExists(const char* fileName) {
    CallRecord call(m_core, "FileExists", {renderText(fileName)});
    const std::string name = renderText(fileName);
    if (auto error = m_core.fault({"FileExists", letterOf(name), name})) return call.fail(*error);
    if (!fileName) return call.fail(ERROR_FILE_NOT_FOUND);
    const ResolvedPath path = m_core.resolvePath(name);
    if (path.error == ERROR_NOT_READY) return call.fail(ERROR_NOT_READY);
    if (path.error) return call.fail(ERROR_FILE_NOT_FOUND);
    if (m_core.folderExists(path.canonical) || m_core.machine().files.count(path.canonical)) return call.succeed();
    return call.fail(ERROR_FILE_NOT_FOUND);
}

BOOL SimIo::AppendTextFile(const char* fileName, const std::string& text) {
    CallRecord call(m_core, "AppendTextFile", {renderText(fileName), text});
    const std::string name = renderText(fileName);
    if (auto error = m_core.fault({"AppendTextFile", letterOf(name), name})) return call.fail(*error);
    if (!fileName) return call.fail(ERROR_PATH_NOT_FOUND);
    const ResolvedPath path = m_core.resolvePath(name);
    if (path.error == ERROR_NOT_READY) m_core.noteMissingMedium(path.drive->letter);
    if (path.error) return call.fail(path.error);
    if (m_core.folderExists(path.canonical)) return call.fail(ERROR_ACCESS_DENIED);
    const std::string parent = parentPath(path.canonical);
    if (!m_core.folderExists(parent)) return call.fail(ERROR_PATH_NOT_FOUND);
    auto& files = m_core.machine().files;
    auto found = files.find(path.canonical);
    const bool exists = found != files.end();
    if (DWORD refusal = writeRefusal(*path.drive, exists ? &found->second : nullptr)) return call.fail(refusal);
    if (!exists && parent.size() == 3 && !path.drive->rootWritable) return call.fail(ERROR_ACCESS_DENIED);
    if (DWORD conflict = shareConflict(SimHandle::Kind::File, path.canonical, nullptr, GENERIC_WRITE, FILE_SHARE_READ))
        return call.fail(conflict);
    if (text.size() > path.drive->space.freeToCallerNow()) return call.fail(ERROR_DISK_FULL);
    if (!exists) {
        SimFile file;
        file.path = name;
        found = files.emplace(path.canonical, std::move(file)).first;
    }
    found->second.write(found->second.size, reinterpret_cast<const uint8_t*>(text.data()), text.size());
    path.drive->space.consumed += int64_t(text.size());
    return call.succeed();
}

BOOL SimIo::DiscardCachedData(HANDLE file) {
    CallRecord call(m_core, "DiscardCachedData", {std::to_string(file)});
    SimHandle* entry = m_core.handle(file);
    if (auto error = m_core.fault({"DiscardCachedData", entry && entry->drive ? entry->drive->letter : char(0), entry ? entry->path : ""}))
        return call.fail(*error);
    if (!entry || entry->kind != SimHandle::Kind::File) return call.fail(ERROR_INVALID_HANDLE);
    call.note("cache of " + entry->path + " dropped");
    return call.succeed();
}

DWORD SimIo::GetWritableFolderA(const char* rootPath, char* buffer, DWORD bufferLength) {
    CallRecord call(m_core, "GetWritableFolderA", {renderText(rootPath), renderPointer(buffer), std::to_string(bufferLength)});
    const std::string root = renderText(rootPath);
    auto none = [&](DWORD error) {
        m_core.setLastError(error);
        return call.result<DWORD>(0, "0 (" + std::to_string(error) + ")");
    };
    if (auto error = m_core.fault({"GetWritableFolderA", letterOf(root), root})) return none(*error);
    const char letter = letterOf(root);
    if (!rootPath || root.size() != 3 || !letter || root[1] != ':' || root[2] != '\\') return none(ERROR_INVALID_NAME);
    const ResolvedPath path = m_core.resolvePath(root);
    if (path.error) return none(path.error);
    if (DWORD refusal = writeRefusal(*path.drive, nullptr)) return none(refusal);
    std::string answer;
    if (!m_core.substituteTarget(letter).empty() || path.drive->rootWritable) {
        answer = root;
    } else if (!path.drive->writableFolder.empty()) {
        answer = std::string(1, letter) + path.drive->writableFolder.substr(1) + "\\";
    } else {
        return none(ERROR_ACCESS_DENIED);
    }
    if (!buffer || bufferLength < answer.size() + 1)
        return call.result(DWORD(answer.size() + 1), std::to_string(answer.size() + 1) + " (needed)");
    copyText(answer, buffer, bufferLength);
    call.note("\"" + answer + "\"");
    return call.result(DWORD(answer.size()), std::to_string(answer.size()));
}

DWORD SimIo::GetReadCacheLayerA(const char* rootPath, char* buffer, DWORD bufferLength) {
    CallRecord call(m_core, "GetReadCacheLayerA", {renderText(rootPath), renderPointer(buffer), std::to_string(bufferLength)});
    const std::string root = renderText(rootPath);
    auto none = [&](DWORD error) {
        m_core.setLastError(error);
        return call.result<DWORD>(0, "0 (" + std::to_string(error) + ")");
    };
    if (auto error = m_core.fault({"GetReadCacheLayerA", letterOf(root), root})) return none(*error);
    const ResolvedPath path = m_core.resolvePath(root);
    if (path.error) return none(path.error);
    const std::string& answer = path.drive->readCache;
    if (answer.empty()) return none(ERROR_SUCCESS);
    if (!buffer || bufferLength < answer.size() + 1) return none(ERROR_INSUFFICIENT_BUFFER);
    copyText(answer, buffer, bufferLength);
    m_core.setLastError(ERROR_SUCCESS);
    call.note("\"" + answer + "\"");
    return call.result(DWORD(answer.size()), std::to_string(answer.size()));
}

}  // namespace zv::sim
