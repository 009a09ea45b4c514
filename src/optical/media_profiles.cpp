#include "optical/media_profiles.h"

#include "optical/mmc_commands.h"
#include "platform/api/codec.h"

#include <array>
#include <cstdio>

namespace zv::optical {

namespace {

// Profile numbers of MMC-6, table 91.
constexpr std::array<MediaProfile, 35> kProfiles = {{
    {0x0000, "No Current Profile"},
    {0x0001, "Non Removable Disk"},
    {0x0002, "Removable Disk"},
    {0x0003, "Magneto Optical Erasable"},
    {0x0004, "Optical Write Once"},
    {0x0005, "AS-MO"},
    {0x0008, "CD-ROM"},
    {0x0009, "CD-R"},
    {0x000A, "CD-RW"},
    {0x0010, "DVD-ROM"},
    {0x0011, "DVD-R SequentialRecording,"},
    {0x0012, "DVD-RAM"},
    {0x0013, "DVD-RW Restricted Overwrite"},
    {0x0014, "DVD-RW Sequential Recording"},
    {0x001A, "DVD+RW"},
    {0x001B, "DVD+R"},
    {0x0020, "DDCD-ROM"},
    {0x0021, "DDCD-R"},
    {0x0022, "DDCD-RW"},
    {0xFFFF, "UNKNOWN"},
    // Later profiles.
    {0x0015, "DVD-R Dual Layer Sequential Recording"},
    {0x0016, "DVD-R Dual Layer Jump Recording"},
    {0x0017, "DVD-RW Dual Layer"},
    {0x002A, "DVD+RW Dual Layer"},
    {0x002B, "DVD+R Dual Layer"},
    {0x0040, "BD-ROM"},
    {0x0041, "BD-R Sequential Recording"},
    {0x0042, "BD-R Random Recording"},
    {0x0043, "BD-RE"},
    {0x0050, "HD DVD-ROM"},
    {0x0051, "HD DVD-R"},
    {0x0052, "HD DVD-RAM"},
    {0x0053, "HD DVD-RW"},
    {0x0058, "HD DVD-R Dual Layer"},
    {0x005A, "HD DVD-RW Dual Layer"},
}};

}  // namespace

std::span<const MediaProfile> MediaProfileNames() { return kProfiles; }

std::optional<MediaProfile> findMediaProfile(uint16_t number) {
    for (const auto& row : kProfiles)
        if (row.number == number) return row;
    return std::nullopt;
}

std::optional<uint16_t> ReadCurrentProfile(platform::Platform& platform, win::HANDLE device) {
    std::array<uint8_t, 114> response{};
    auto request = makeRequest(OpticalCommand::GetConfiguration);
    if (!SendPassThrough(platform, device, request, response.data())) return std::nullopt;
    return codec::getBe16(&response[6]);
}

std::optional<MediaProfile> QueryMediaProfile(platform::Platform& platform, win::HANDLE device) {
    const auto profile = ReadCurrentProfile(platform, device);
    if (!profile) return std::nullopt;
    return findMediaProfile(*profile);
}

std::string describeProfile(const std::optional<uint16_t>& profile) {
    if (!profile) return "unknown (the drive did not report a profile)";
    if (const auto row = findMediaProfile(*profile)) return row->text;
    char text[40];
    std::snprintf(text, sizeof text, "unknown profile 0x%04X", unsigned(*profile));
    return text;
}

}  // namespace zv::optical
