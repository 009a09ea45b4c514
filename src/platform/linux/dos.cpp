// The older family's DOS services do not exist on the NT family this backend answers as:
// every call fails with carry set.
#include "platform/linux/linux_concerns.h"

namespace zv::lnx {

namespace {
class LinuxDos final : public platform::IDosServices {
public:
    void VxDCall(DWORD, platform::VxDRegisters& regs) override { regs.carry = true; }
};
}  // namespace

std::unique_ptr<platform::IDosServices> makeLinuxDos(LinuxContext&) { return std::make_unique<LinuxDos>(); }

}  // namespace zv::lnx
