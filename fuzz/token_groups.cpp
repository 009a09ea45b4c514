// The TokenGroups buffer of the administrator test (group count, offset and attributes of
// each group, the SIDs), bounded by the length the system returned: the input is the
// buffer, exactly as long as the length says.
#include "optical/administrator_test.h"
#include "platform/sim/sim_system.h"
#include "support/check.h"

#include <memory>

using namespace zv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes: a read past the length is a read past the buffer.
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size ? size : 1]);
    std::copy(data, data + size, buffer.get());
    optical::GroupsContainAdministrators(buffer.get(), win::DWORD(size));

    // Buffers laid out as the system lays them: the answer is whether Administrators is
    // among the groups, and a buffer cut short never finds a group beyond its end.
    if (size >= 3) {
        const bool administrator = data[0] & 1;
        const uint32_t groups = 1 + (uint32_t(data[1]) | uint32_t(data[2] & 1) << 8);
        const std::vector<uint8_t> token = sim::tokenGroups(administrator, groups);
        FUZZ_CHECK(optical::GroupsContainAdministrators(token.data(), win::DWORD(token.size())) == administrator);
        const size_t cut = size > 3 ? data[3] * token.size() / 256 : token.size();
        std::unique_ptr<uint8_t[]> shorter(new uint8_t[cut ? cut : 1]);
        std::copy(token.begin(), token.begin() + ptrdiff_t(cut), shorter.get());
        if (!administrator) FUZZ_CHECK(!optical::GroupsContainAdministrators(shorter.get(), win::DWORD(cut)));
    }
    return 0;
}
