#include "survey/subst.h"

#include "survey/platform_family.h"

#include <array>
#include <cctype>
#include <cstring>

namespace zv::survey {

namespace {

using win::DWORD;

constexpr DWORD kPathBufferSize = 256;
// Get-full-path-name writes up to MAX_PATH characters and the terminating zero.
constexpr DWORD kFullPathBufferSize = 261;
constexpr DWORD kLongFileNameSubst = 0x71AA;   // int 21h: long-file-name subst service
constexpr DWORD kLongFileNameFullPath = 0x7160; // int 21h: get full path name
constexpr DWORD kSubstCreate = 0, kSubstTerminate = 1, kSubstQuery = 2;
constexpr DWORD kFullPathLongForm = 2;          // CL = 2, CH = 0: the long form of a path

bool isDriveLetter(char letter) { return std::isalpha(static_cast<unsigned char>(letter)) != 0; }

// A = 1 ... Z = 26, as the DOS services number drives.
DWORD driveNumber(char letter) {
    return static_cast<DWORD>(std::toupper(static_cast<unsigned char>(letter)) - 64);
}

std::string deviceName(char letter) { return std::string(1, letter) + ':'; }

std::string textOf(const char* buffer, size_t size) {
    return std::string(buffer, strnlen(buffer, size));
}

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// One call of the older family's subst service; `path` is its 256-byte buffer.
void callSubstService(platform::Platform& platform, DWORD subFunction, char letter, char* path) {
    platform::VxDRegisters regs;
    regs.eax = kLongFileNameSubst;
    regs.ebx = (subFunction << 8) | driveNumber(letter);
    regs.ecx = 0;
    regs.edx = path;
    platform.dos().VxDCall(platform::VXD_INT21_SERVICE, regs);
}

std::string queryNt(platform::Platform& platform, char letter) {
    std::array<char, kPathBufferSize> target{};
    target[0] = 0;
    // The result count is not needed: a failed query leaves the cleared buffer.
    platform.drives().QueryDosDeviceA(deviceName(letter).c_str(), target.data(), kPathBufferSize);
    target.back() = 0;
    const std::string first = textOf(target.data(), target.size());
    if (first.rfind("\\??\\", 0) != 0) return {};
    return first.substr(4);
}

std::string queryOlder(platform::Platform& platform, char letter) {
    std::array<char, kPathBufferSize> shortPath{};
    callSubstService(platform, kSubstQuery, letter, shortPath.data());
    shortPath.back() = 0;
    const std::string shortText = textOf(shortPath.data(), shortPath.size());
    if (shortText.empty()) return {};

    std::array<char, kFullPathBufferSize> longPath{};
    platform::VxDRegisters regs;
    regs.eax = kLongFileNameFullPath;
    regs.ecx = kFullPathLongForm;
    regs.esi = shortPath.data();
    regs.edi = longPath.data();
    platform.dos().VxDCall(platform::VXD_INT21_SERVICE, regs);
    longPath.back() = 0;
    const std::string longText = textOf(longPath.data(), longPath.size());
    // Without a long form the letter still stands for the folder: keep its short name.
    if (regs.carry || longText.empty()) return shortText;
    return longText;
}

bool createOlder(platform::Platform& platform, char letter, const std::string& path) {
    std::string shortened = path;
    if (!shortened.empty() && shortened.back() == '\\') shortened.pop_back();

    std::array<char, kPathBufferSize> shortPath{};
    const DWORD length = platform.drives().GetShortPathNameA(shortened.c_str(), shortPath.data(), kPathBufferSize);
    shortPath.back() = 0;
    if (length > 0 && length < kPathBufferSize && shortPath[0] != 0) {
        std::array<char, kPathBufferSize> buffer{};
        std::memcpy(buffer.data(), shortPath.data(), strnlen(shortPath.data(), kPathBufferSize - 1));
        callSubstService(platform, kSubstCreate, letter, buffer.data());
    }
    const std::string now = QuerySubstDrive(platform, letter);
    // An empty answer is no substitute drive, whatever path was asked for.
    if (now.empty()) return false;
    return upperCase(withTrailingBackslash(now)) == upperCase(withTrailingBackslash(path));
}

}  // namespace

std::string QuerySubstDrive(platform::Platform& platform, char letter) {
    if (!isDriveLetter(letter)) return {};
    try {
        return isNtFamily(platform) ? queryNt(platform, letter) : queryOlder(platform, letter);
    } catch (...) {
        return {};
    }
}

bool CreateSubstDrive(platform::Platform& platform, char letter, const std::string& path) {
    if (!isDriveLetter(letter)) return false;
    try {
        if (isNtFamily(platform))
            return platform.drives().DefineDosDeviceA(0, deviceName(letter).c_str(), path.c_str()) != 0;
        return createOlder(platform, letter, path);
    } catch (...) {
        return false;
    }
}

bool RemoveSubstDrive(platform::Platform& platform, char letter) {
    if (!isDriveLetter(letter)) return false;
    try {
        const std::string target = QuerySubstDrive(platform, letter);
        if (target.empty()) return false;
        if (isNtFamily(platform))
            return platform.drives().DefineDosDeviceA(win::DDD_REMOVE_DEFINITION, deviceName(letter).c_str(),
                                                      target.c_str()) != 0;
        std::array<char, kPathBufferSize> buffer{};
        callSubstService(platform, kSubstTerminate, letter, buffer.data());
        return QuerySubstDrive(platform, letter).empty();
    } catch (...) {
        return false;
    }
}

std::string withTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path;
    return path + '\\';
}

}  // namespace zv::survey
