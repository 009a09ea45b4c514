#include "survey/platform_family.h"

#include <cstring>
#include <string>

namespace zv::survey {

bool isNtFamily(platform::Platform& platform) {
    win::OSVERSIONINFOA info;
    if (!platform.system().GetVersionExA(&info)) return true;
    return info.dwPlatformId == win::VER_PLATFORM_WIN32_NT;
}

bool isLinuxSystem(platform::Platform& platform) {
    win::OSVERSIONINFOA info;
    if (!platform.system().GetVersionExA(&info)) return false;
    const std::string version(info.szCSDVersion, strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
    return version.rfind("Linux ", 0) == 0;
}

}  // namespace zv::survey
