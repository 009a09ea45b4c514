#include "optical/administrator_test.h"

#include "platform/api/codec.h"

#include <array>

namespace zv::optical {

using namespace zv::win;

int PlatformClass(const OSVERSIONINFOA& version) {
    switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32_NT:
        if (version.dwMajorVersion == 3 && version.dwMinorVersion >= 51) return 2;
        if (version.dwMajorVersion == 4) return 3;
        if (version.dwMajorVersion == 5 && version.dwMinorVersion == 0) return 4;
        return 5;
    case VER_PLATFORM_WIN32_WINDOWS:
        return version.dwMinorVersion == 0 ? 0 : 1;
    default:
        return -1;
    }
}

int QueryPlatformClass(platform::Platform& platform) {
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = 148;  // the size of the record as the system defines it
    if (!platform.system().GetVersionExA(&version)) return -1;
    return PlatformClass(version);
}

namespace {

// S-1-5-32-544 as it lies in memory: revision 1, two sub-authorities, the NT authority
// (5, big-endian in six bytes), then SECURITY_BUILTIN_DOMAIN_RID 32 and
// DOMAIN_ALIAS_RID_ADMINS 544 as little-endian DWORDs.
constexpr std::array<uint8_t, 16> kAdministratorsSid = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};

bool sidAt(const uint8_t* groups, DWORD length, DWORD offset) {
    // A SID is 8 bytes of header plus four per sub-authority; compare only what lies inside.
    if (offset > length || length - offset < 8) return false;
    const uint8_t* sid = groups + offset;
    const DWORD size = 8 + 4 * DWORD(sid[1]);
    if (length - offset < size || size != kAdministratorsSid.size()) return false;
    for (size_t i = 0; i < kAdministratorsSid.size(); ++i)
        if (sid[i] != kAdministratorsSid[i]) return false;
    return true;
}

}  // namespace

bool GroupsContainAdministrators(const uint8_t* groups, DWORD length) {
    if (length < 4) return false;
    const DWORD count = codec::getLe32(groups);
    for (DWORD i = 0; i < count; ++i) {
        const uint64_t entry = 4 + uint64_t(i) * 8;
        if (entry + 8 > length) return false;
        if (sidAt(groups, length, codec::getLe32(groups + entry))) return true;
    }
    return false;
}

bool IsAdministrator(platform::Platform& platform) {
    auto& system = platform.system();
    HANDLE token = 0;
    if (!system.OpenThreadToken(TOKEN_QUERY, TRUE, &token)) {
        if (system.GetLastError() != ERROR_NO_TOKEN) return false;
        if (!system.OpenProcessToken(TOKEN_QUERY, &token)) return false;
    }
    std::array<uint8_t, 1024> buffer{};
    DWORD returned = 0;
    const BOOL read = system.GetTokenInformation(token, TokenGroups, buffer.data(), DWORD(buffer.size()), &returned);
    platform.io().CloseHandle(token);
    if (!read) return false;
    const DWORD used = returned > 0 && returned <= buffer.size() ? returned : DWORD(buffer.size());
    return GroupsContainAdministrators(buffer.data(), used);
}

}  // namespace zv::optical
