#include "survey/platform_family.h"

namespace zv::survey {

bool isNtFamily(platform::Platform& platform) {
    win::OSVERSIONINFOA info;
    if (!platform.system().GetVersionExA(&info)) return true;
    return info.dwPlatformId == win::VER_PLATFORM_WIN32_NT;
}

}  // namespace zv::survey
