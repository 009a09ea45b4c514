#include "platform/sim/sim_system.h"

#include "platform/sim/sim_text.h"

#include <cstring>

namespace zv::sim {

BOOL SimSystem::GetVersionExA(OSVERSIONINFOA* info) {
    CallRecord call(m_core, "GetVersionExA", {info ? std::to_string(info->dwOSVersionInfoSize) : "(null)"});
    if (auto error = m_core.fault({"GetVersionExA"})) return call.fail(*error);
    if (!info) return call.fail(ERROR_NOACCESS);
    // OSVERSIONINFOA is 148 bytes, OSVERSIONINFOEXA 156; any other size is refused.
    if (info->dwOSVersionInfoSize != 148 && info->dwOSVersionInfoSize != 156) return call.fail(ERROR_INSUFFICIENT_BUFFER);
    const SimMachine& m = m_core.machine();
    info->dwMajorVersion = m.major;
    info->dwMinorVersion = m.minor;
    info->dwBuildNumber = m.build;
    info->dwPlatformId = m.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::memcpy(info->szCSDVersion, m.servicePack.data(), std::min<size_t>(m.servicePack.size(), 127));
    call.note("platform " + std::to_string(m.platformId) + " version " + std::to_string(m.major) + "." +
              std::to_string(m.minor) + "." + std::to_string(m.build));
    return call.succeed();
}

BOOL SimSystem::openToken(CallRecord& call, DWORD access, HANDLE* token) {
    if (!token) return call.fail(ERROR_NOACCESS);
    SimHandle handle;
    handle.kind = SimHandle::Kind::Token;
    handle.access = access;
    *token = m_core.addHandle(std::move(handle));
    call.note("token " + std::to_string(*token));
    return call.succeed();
}

BOOL SimSystem::OpenThreadToken(DWORD desiredAccess, BOOL openAsSelf, HANDLE* token) {
    CallRecord call(m_core, "OpenThreadToken", {renderHex(desiredAccess), openAsSelf ? "TRUE" : "FALSE", renderPointer(token)});
    if (auto error = m_core.fault({"OpenThreadToken"})) return call.fail(*error);
    // A thread that impersonates no one has no token of its own.
    if (!m_core.machine().threadToken) return call.fail(ERROR_NO_TOKEN);
    return openToken(call, desiredAccess, token);
}

BOOL SimSystem::OpenProcessToken(DWORD desiredAccess, HANDLE* token) {
    CallRecord call(m_core, "OpenProcessToken", {renderHex(desiredAccess), renderPointer(token)});
    if (auto error = m_core.fault({"OpenProcessToken"})) return call.fail(*error);
    return openToken(call, desiredAccess, token);
}

BOOL SimSystem::GetTokenInformation(HANDLE token, DWORD informationClass, void* buffer, DWORD length,
                                    DWORD* returnLength) {
    CallRecord call(m_core, "GetTokenInformation",
                    {std::to_string(token), std::to_string(informationClass), renderPointer(buffer), std::to_string(length)});
    if (auto error = m_core.fault({"GetTokenInformation"})) return call.fail(*error);
    SimHandle* handle = m_core.handle(token);
    if (!handle || handle->kind != SimHandle::Kind::Token) return call.fail(ERROR_INVALID_HANDLE);
    if (!(handle->access & TOKEN_QUERY)) return call.fail(ERROR_ACCESS_DENIED);
    if (informationClass != TokenGroups) {
        m_core.countUnknownRequest("token information class " + std::to_string(informationClass));
        return call.fail(ERROR_INVALID_PARAMETER);
    }
    const std::vector<uint8_t> groups = tokenGroups(m_core.machine().administrator, m_core.machine().groupCount);
    if (returnLength) *returnLength = DWORD(groups.size());
    if (!buffer || length < groups.size()) {
        call.note("needs " + std::to_string(groups.size()) + " bytes");
        return call.fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, groups.data(), groups.size());
    call.note(std::to_string(m_core.machine().groupCount) + " groups, " + std::to_string(groups.size()) + " bytes");
    return call.succeed();
}

platform::LocaleSeparators SimSystem::GetLocaleSeparators() {
    CallRecord call(m_core, "GetLocaleSeparators", {});
    m_core.fault({"GetLocaleSeparators"});
    platform::LocaleSeparators separators;
    separators.decimal = m_core.machine().decimal;
    separators.thousands = m_core.machine().thousands;
    call.done("\"" + separators.decimal + "\" \"" + separators.thousands + "\"");
    return separators;
}

DWORD SimSystem::GetTickCount() {
    CallRecord call(m_core, "GetTickCount", {});
    m_core.fault({"GetTickCount"});
    const DWORD ticks = DWORD(m_core.nowNanoseconds() / 1000000ull);
    return call.result(ticks, std::to_string(ticks));
}

uint64_t SimSystem::MonotonicNanoseconds() {
    CallRecord call(m_core, "MonotonicNanoseconds", {});
    m_core.fault({"MonotonicNanoseconds"});
    const uint64_t now = m_core.nowNanoseconds();
    return call.result(now, std::to_string(now));
}

void SimSystem::Sleep(DWORD milliseconds) {
    CallRecord call(m_core, "Sleep", {std::to_string(milliseconds)});
    m_core.fault({"Sleep"});
    m_core.advanceClock(uint64_t(milliseconds) * 1000000ull);
    call.done("");
}

std::string SimSystem::FormatMessageA(DWORD errorCode) {
    CallRecord call(m_core, "FormatMessageA", {std::to_string(errorCode)});
    if (auto error = m_core.fault({"FormatMessageA", 0, std::to_string(errorCode)})) {
        m_core.setLastError(*error);
        return call.result<std::string>("", "\"\" (" + std::to_string(*error) + ")");
    }
    std::string text = systemMessage(errorCode);
    if (text.empty()) m_core.setLastError(317);  // ERROR_MR_MID_NOT_FOUND
    return call.result(text, "\"" + text.substr(0, text.size() >= 2 ? text.size() - 2 : 0) + "\"");
}

namespace {

// "Kernel32.dll", "C:\WINDOWS\system32\kernel32" -> "KERNEL32.DLL".
std::string libraryKey(const std::string& name) {
    std::string base = name;
    const size_t slash = base.find_last_of("\\/");
    if (slash != std::string::npos) base = base.substr(slash + 1);
    base = upper(base);
    if (base.find('.') == std::string::npos) base += ".DLL";
    return base;
}

}  // namespace

bool SimSystem::libraryExports(const std::string& library, const std::string& entry, bool* known) const {
    const auto& configured = m_core.machine().libraries;
    const std::string key = libraryKey(library);
    if (configured) {
        auto found = configured->find(key);
        *known = found != configured->end();
        return *known && (found->second.count("*") || found->second.count(upper(entry)));
    }
    if (key == "KERNEL32.DLL") {
        *known = true;
        return true;
    }
    if (key == "FMIFS.DLL" && m_checkLibraryPresent) {
        *known = true;
        const std::string name = upper(entry);
        return name == "CHKDSK" || name == "FORMATEX";
    }
    *known = false;
    return false;
}

HMODULE SimSystem::LoadLibraryA(const char* fileName) {
    CallRecord call(m_core, "LoadLibraryA", {renderText(fileName)});
    const std::string name = renderText(fileName);
    auto failed = [&](DWORD error) {
        m_core.setLastError(error);
        return call.result<HMODULE>(0, "0 (" + std::to_string(error) + ")");
    };
    if (auto error = m_core.fault({"LoadLibraryA", 0, name})) return failed(*error);
    if (!fileName) return failed(ERROR_INVALID_PARAMETER);
    bool known = false;
    libraryExports(name, "", &known);
    if (!known) return failed(ERROR_MOD_NOT_FOUND);
    const HMODULE module = m_core.addModule(libraryKey(name));
    return call.result(module, renderHex(module));
}

BOOL SimSystem::GetProcAddress(HMODULE module, const char* procName) {
    CallRecord call(m_core, "GetProcAddress", {renderHex(module), renderText(procName)});
    if (auto error = m_core.fault({"GetProcAddress", 0, renderText(procName)})) return call.fail(*error);
    const std::string* library = m_core.module(module);
    if (!library) return call.fail(ERROR_INVALID_HANDLE);
    if (!procName) return call.fail(ERROR_PROC_NOT_FOUND);
    bool known = false;
    if (!libraryExports(*library, procName, &known)) return call.fail(ERROR_PROC_NOT_FOUND);
    return call.succeed();
}

BOOL SimSystem::FreeLibrary(HMODULE module) {
    CallRecord call(m_core, "FreeLibrary", {renderHex(module)});
    if (auto error = m_core.fault({"FreeLibrary"})) return call.fail(*error);
    if (!m_core.freeModule(module)) return call.fail(ERROR_INVALID_HANDLE);
    return call.succeed();
}

}  // namespace zv::sim
