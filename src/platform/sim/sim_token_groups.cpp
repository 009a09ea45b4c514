// The TokenGroups answer: TOKEN_GROUPS of the 32-bit system with SID offsets in place of
// pointers (DWORD GroupCount; GroupCount x {DWORD SidOffset; DWORD Attributes}; the SIDs).
#include "platform/sim/sim_system.h"

#include "platform/api/codec.h"

namespace zv::sim {

namespace {

constexpr DWORD SE_GROUP_MANDATORY = 0x1;
constexpr DWORD SE_GROUP_ENABLED_BY_DEFAULT = 0x2;
constexpr DWORD SE_GROUP_ENABLED = 0x4;
constexpr DWORD SE_GROUP_OWNER = 0x8;
constexpr DWORD SE_GROUP_LOGON_ID = 0xC0000000u;
constexpr DWORD Enabled = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;

struct Group {
    uint8_t authority;
    std::vector<uint32_t> subAuthorities;
    DWORD attributes;
};

// SID: revision 1, sub-authority count, 6-byte big-endian authority, sub-authorities LE.
std::vector<uint8_t> sidBytes(const Group& group) {
    std::vector<uint8_t> bytes(8 + 4 * group.subAuthorities.size(), 0);
    bytes[0] = 1;
    bytes[1] = uint8_t(group.subAuthorities.size());
    bytes[7] = group.authority;
    for (size_t i = 0; i < group.subAuthorities.size(); ++i) codec::putLe32(bytes.data() + 8 + 4 * i, group.subAuthorities[i]);
    return bytes;
}

}  // namespace

std::vector<uint8_t> tokenGroups(bool administrator, uint32_t groupCount) {
    std::vector<Group> groups = {
        {1, {0}, Enabled},                                 // Everyone S-1-1-0
        {5, {32, 545}, Enabled},                           // Users S-1-5-32-545
        {5, {4}, Enabled},                                 // Interactive S-1-5-4
        {5, {11}, Enabled},                                // Authenticated Users S-1-5-11
        {5, {5, 0, 0x3E7A1}, Enabled | SE_GROUP_LOGON_ID}, // the logon session
    };
    const size_t wanted = groupCount;
    // Domain groups fill the list up to the wanted count, before Administrators, so that a
    // long list pushes Administrators beyond a small buffer.
    for (uint32_t rid = 1000; groups.size() + (administrator ? 1 : 0) < wanted; ++rid)
        groups.push_back({5, {21, 1004336348u, 1177238915u, 682003330u, rid}, Enabled});
    if (administrator) groups.push_back({5, {32, 544}, Enabled | SE_GROUP_OWNER});

    std::vector<uint8_t> bytes(4 + 8 * groups.size(), 0);
    codec::putLe32(bytes.data(), uint32_t(groups.size()));
    for (size_t i = 0; i < groups.size(); ++i) {
        const std::vector<uint8_t> sid = sidBytes(groups[i]);
        codec::putLe32(bytes.data() + 4 + 8 * i, uint32_t(bytes.size()));
        codec::putLe32(bytes.data() + 8 + 8 * i, groups[i].attributes);
        bytes.insert(bytes.end(), sid.begin(), sid.end());
    }
    return bytes;
}

}  // namespace zv::sim
