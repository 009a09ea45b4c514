// The file-system checker on the real machine: not built yet (the library is absent).
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

namespace {
class MissingCheckLibrary final : public platform::ICheckLibrary {
public:
    void Chkdsk(const char16_t*, const char16_t*, BOOL, BOOL, BOOL, BOOL, void*, void*, platform::FmifsCallback) override {}
};
}  // namespace

std::unique_ptr<platform::ICheckLibrary> makeLinuxCheckLibrary(LinuxContext&) {
    return std::make_unique<MissingCheckLibrary>();
}

}  // namespace zv::lnx
