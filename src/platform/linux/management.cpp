// The management query on the real machine: not built yet.
#include "platform/linux/linux_parts.h"

namespace zv::lnx {

namespace {
class MissingManagement final : public platform::IManagement {
public:
    HRESULT ExecQuery(const char*, const char*, const char*, std::vector<platform::ManagementObject>*,
                      std::string* errorText) override {
        if (errorText) *errorText = "The management service is not available.";
        return E_NOTIMPL;
    }
};
}  // namespace

std::unique_ptr<platform::IManagement> makeLinuxManagement(LinuxContext&) {
    return std::make_unique<MissingManagement>();
}

}  // namespace zv::lnx
