// System facts: version, administrator groups, locale separators, errno codes, entry points.
#include "platform/api/codec.h"
#include "platform/linux/error_words.h"
#include "platform/linux/linux_context.h"
#include "platform/linux/linux_platform.h"
#include "platform/linux/locale_separators.h"
#include "recorded_tree.h"

#include <cerrno>
#include <cstring>
#include <thread>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zv::lnx::test {
namespace {

using namespace zv::win;

std::unique_ptr<platform::Platform> plainPlatform(const TempFolder& folder) {
    LinuxOptions options;
    options.configDir = folder.path() + "/config";
    options.runtimeDir = folder.path() + "/runtime";
    return makeLinuxPlatform(options);
}

TEST(System, AnswersAsTheNtFamily) {
    TempFolder folder;
    auto p = plainPlatform(folder);
    OSVERSIONINFOA info;
    ASSERT_TRUE(p->system().GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(info.dwMajorVersion, 10u);
    info.dwOSVersionInfoSize = 20;
    EXPECT_FALSE(p->system().GetVersionExA(&info));
    platform::VxDRegisters regs;
    p->dos().VxDCall(platform::VXD_INT21_SERVICE, regs);
    EXPECT_TRUE(regs.carry);
}

TEST(System, TokenGroupsListAdministratorsForRoot) {
    TempFolder folder;
    auto p = plainPlatform(folder);
    HANDLE token = 0;
    EXPECT_FALSE(p->system().OpenThreadToken(TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(p->GetLastError(), ERROR_NO_TOKEN);
    ASSERT_TRUE(p->system().OpenProcessToken(TOKEN_QUERY, &token));
    DWORD needed = 0;
    EXPECT_FALSE(p->system().GetTokenInformation(token, TokenGroups, nullptr, 0, &needed));
    EXPECT_EQ(p->GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    std::vector<uint8_t> buffer(needed);
    ASSERT_TRUE(p->system().GetTokenInformation(token, TokenGroups, buffer.data(), needed, &needed));
    bool administrators = false;
    uint32_t count = codec::getLe32(buffer.data());
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* sid = buffer.data() + codec::getLe32(&buffer[4 + i * 8]);
        ASSERT_EQ(sid[0], 1);  // revision
        bool ntAuthority = sid[7] == 5 && sid[2] == 0 && sid[6] == 0;
        if (ntAuthority && sid[1] == 2 && codec::getLe32(sid + 8) == 32 && codec::getLe32(sid + 12) == 544)
            administrators = true;
    }
    // The optical drives give an ordinary user no extra rights on a machine without them.
    EXPECT_EQ(administrators, ::geteuid() == 0);
    EXPECT_TRUE(p->io().CloseHandle(token));
}

TEST(System, NumericLocaleNameFollowsThePrecedenceOfTheEnvironment) {
    EXPECT_EQ(numericLocaleName("de_DE.UTF-8", "fr_FR.UTF-8", "en_US.UTF-8"), "de_DE.UTF-8");
    EXPECT_EQ(numericLocaleName("", "fr_FR.UTF-8", "en_US.UTF-8"), "fr_FR.UTF-8");
    EXPECT_EQ(numericLocaleName(nullptr, nullptr, "en_US.UTF-8"), "en_US.UTF-8");
    EXPECT_EQ(numericLocaleName(nullptr, "", nullptr), "C");
}

TEST(System, SeparatorsOfInstalledAndMissingLocales) {
    auto c = separatorsOfLocale("C.UTF-8");
    EXPECT_EQ(c.decimal, ".");
    EXPECT_EQ(c.thousands, ",");
    auto missing = separatorsOfLocale("xx_NOWHERE.UTF-8");
    EXPECT_EQ(missing.decimal, ".");
    EXPECT_EQ(missing.thousands, ",");
    // Locales that happen to be installed; the global locale stays untouched.
    std::string before = std::setlocale(LC_NUMERIC, nullptr);
    int checked = 0;
    struct Case {
        const char* name;
        const char* decimal;
        const char* thousands;
    };
    for (const Case& c : {Case{"de_DE.UTF-8", ",", "."}, Case{"fr_FR.UTF-8", ",", "\u202f"},
                          Case{"de_CH.UTF-8", ".", "\u2019"}, Case{"en_US.UTF-8", ".", ","}}) {
        locale_t probe = ::newlocale(LC_NUMERIC_MASK, c.name, static_cast<locale_t>(nullptr));
        if (!probe) continue;
        ::freelocale(probe);
        auto separators = separatorsOfLocale(c.name);
        EXPECT_EQ(separators.decimal, c.decimal) << c.name;
        EXPECT_EQ(separators.thousands, c.thousands) << c.name;
        ++checked;
    }
    EXPECT_EQ(before, std::setlocale(LC_NUMERIC, nullptr));
    if (checked == 0) GTEST_SKIP() << "no de_DE, fr_FR, de_CH or en_US locale installed (localedef makes them)";
}

TEST(System, SeparatorsOfALocaleInAnotherCharacterSetAreGivenAsUtf8) {
    // A Swiss locale in the Windows code page: its thousands separator U+2019 is the byte 0x92.
    TempFolder folder;
    const std::string make = "localedef -c -i de_CH -f CP1252 '" + folder.path() + "/de_CH.CP1252' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) GTEST_SKIP() << "localedef could not make de_CH.CP1252 (package locales)";
    const char* before = std::getenv("LOCPATH");
    const std::string saved = before ? before : "";
    ::setenv("LOCPATH", folder.path().c_str(), 1);
    auto separators = separatorsOfLocale("de_CH.CP1252");
    if (before) ::setenv("LOCPATH", saved.c_str(), 1); else ::unsetenv("LOCPATH");
    EXPECT_EQ(separators.decimal, ".");
    EXPECT_EQ(separators.thousands, "\u2019");
}

TEST(System, ErrnoBecomesTheMatchingWindowsCode) {
    EXPECT_EQ(win32ErrorFromErrno(ENOENT), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(win32ErrorFromErrno(EACCES), ERROR_ACCESS_DENIED);
    EXPECT_EQ(win32ErrorFromErrno(EPERM), ERROR_ACCESS_DENIED);
    EXPECT_EQ(win32ErrorFromErrno(ENOMEDIUM), ERROR_NOT_READY);
    EXPECT_EQ(win32ErrorFromErrno(ENOSPC), ERROR_DISK_FULL);
    EXPECT_EQ(win32ErrorFromErrno(EROFS), ERROR_WRITE_PROTECT);
    EXPECT_EQ(win32ErrorFromErrno(ENOTCONN), ERROR_CONNECTION_UNAVAIL);
    EXPECT_EQ(win32ErrorFromErrno(ESTALE), ERROR_CONNECTION_UNAVAIL);
    EXPECT_EQ(win32ErrorFromErrno(ENOTTY), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(win32ErrorFromErrno(EEXIST), ERROR_FILE_EXISTS);
    EXPECT_EQ(win32ErrorFromErrno(12345), ERROR_GEN_FAILURE);
}

TEST(System, EntryPointsAndMessages) {
    TempFolder folder;
    auto p = plainPlatform(folder);
    auto& s = p->system();
    HMODULE kernel = s.LoadLibraryA("KERNEL32.DLL");
    ASSERT_NE(kernel, 0u);
    EXPECT_TRUE(s.GetProcAddress(kernel, "GetDiskFreeSpaceExA"));
    EXPECT_TRUE(s.GetProcAddress(kernel, "FindFirstVolumeA"));
    EXPECT_FALSE(s.GetProcAddress(kernel, "Chkdsk"));
    HMODULE fmifs = s.LoadLibraryA("fmifs");
    ASSERT_NE(fmifs, 0u);
    EXPECT_TRUE(s.GetProcAddress(fmifs, "Chkdsk"));
    EXPECT_TRUE(s.FreeLibrary(fmifs));
    EXPECT_EQ(s.LoadLibraryA("user32.dll"), 0u);
    EXPECT_EQ(s.GetLastError(), ERROR_MOD_NOT_FOUND);
    uint64_t a = s.MonotonicNanoseconds();
    s.Sleep(1);
    EXPECT_GE(s.MonotonicNanoseconds() - a, 1'000'000u);
}

// The message text of an error is the system's own words for the errno behind it.
TEST(LinuxSystemMessages, AreTheSystemsWordsForTheErrnoBehindTheCode) {
    TempFolder folder;
    auto p = plainPlatform(folder);
    auto& s = p->system();
    const auto words = [](int error) { return std::string(std::strerror(error)) + "\r\n"; };
    // Codes no errno has produced yet: the errno that usually stands for them.
    std::thread([&] {
        EXPECT_EQ(s.FormatMessageA(ERROR_NOT_READY), words(ENOMEDIUM));
        EXPECT_EQ(s.FormatMessageA(ERROR_ACCESS_DENIED), words(EACCES));
        EXPECT_EQ(s.FormatMessageA(ERROR_SHARING_VIOLATION), words(EBUSY));
        EXPECT_EQ(s.FormatMessageA(ERROR_PATH_NOT_FOUND), words(ENOENT));
    }).join();
    // A code produced from an errno speaks of that errno, on the thread that met it.
    EXPECT_EQ(win32ErrorFromErrno(ENOTDIR), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(s.FormatMessageA(ERROR_PATH_NOT_FOUND), words(ENOTDIR));
    EXPECT_EQ(win32ErrorFromErrno(EPERM), ERROR_ACCESS_DENIED);
    EXPECT_EQ(s.FormatMessageA(ERROR_ACCESS_DENIED), words(EPERM));
    std::thread([&] { EXPECT_EQ(s.FormatMessageA(ERROR_ACCESS_DENIED), words(EACCES)); }).join();
    // A real failure: opening a file that is not there.
    const std::string missing = folder.path() + "/not-there";
    EXPECT_EQ(s.FormatMessageA(win32ErrorFromErrno(::access(missing.c_str(), F_OK) == 0 ? 0 : errno)), words(ENOENT));
    // Words the backend noted for a code say more than the errno's.
    std::thread([&] {
        rememberExplanationOfCode(ERROR_INVALID_FUNCTION, "vda is a virtual machine's disk");
        EXPECT_EQ(s.FormatMessageA(ERROR_INVALID_FUNCTION), "vda is a virtual machine's disk\r\n");
    }).join();
    // Codes no errno stands for keep a text of their own; none speaks of Windows.
    EXPECT_EQ(s.FormatMessageA(ERROR_MOD_NOT_FOUND), "The specified module could not be found.\r\n");
    for (DWORD code = 1; code < 3000; ++code)
        EXPECT_EQ(s.FormatMessageA(code).find("Windows"), std::string::npos) << code;
}

}  // namespace
}  // namespace zv::lnx::test
