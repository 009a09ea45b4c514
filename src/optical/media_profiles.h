// `MediaProfileNames`: MMC profile numbers (the kind of medium a drive holds) and their
// texts, and the query of a drive's current profile.
#pragma once

#include "platform/api/platform.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace zv::optical {

struct MediaProfile {
    uint16_t number;
    const char* text;
};

// The table: the twenty classic profiles, then the later MMC profiles (dual-layer DVD,
// Blu-ray, HD DVD) so that current discs are recognised too.
std::span<const MediaProfile> MediaProfileNames();

// The row of a profile number; nullopt when the number has no row.
std::optional<MediaProfile> findMediaProfile(uint16_t number);
inline bool isKnownProfile(uint16_t number) { return findMediaProfile(number).has_value(); }

// GET CONFIGURATION on an open device: the Current Profile (response bytes 6-7), nullopt
// when the request was not carried. The response buffer is zeroed first, so a drive that
// transfers nothing reads as profile 0x0000 rather than as stale bytes.
std::optional<uint16_t> ReadCurrentProfile(platform::Platform& platform, win::HANDLE device);

// `QueryMediaProfile`: the current profile's row; nullopt when the request failed or the
// number has no row.
std::optional<MediaProfile> QueryMediaProfile(platform::Platform& platform, win::HANDLE device);

// The text of a query's outcome for messages: the profile's text, "unknown profile 0x0040"
// for a number without a row, or "unknown (the drive did not report a profile)" when the
// request failed.
std::string describeProfile(const std::optional<uint16_t>& profile);

}  // namespace zv::optical
