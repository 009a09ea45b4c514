#include "optical/iso_disc_lib.h"

#include "optical/administrator_test.h"
#include "optical/capability_summary.h"
#include "optical/media_profiles.h"
#include "optical/mmc_commands.h"

#include <array>

namespace zv::optical {

using namespace zv::win;

TISODiscLib::TISODiscLib(platform::Platform& platform, IEventPump& pump) : m_platform(platform), m_pump(pump) {
    const int platformClass = QueryPlatformClass(platform);
    m_passThroughAllowed = platformClass >= 3 && platformClass <= 5 && IsAdministrator(platform);
}

HANDLE TISODiscLib::OpenDevice(char letter) {
    if (!m_passThroughAllowed) return INVALID_HANDLE_VALUE;
    return m_platform.io().CreateFileA(devicePath(letter).c_str(), GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
}

HANDLE TISODiscLib::OpenOpticalDrive(char letter) {
    if (!m_passThroughAllowed) return INVALID_HANDLE_VALUE;
    const char drive[3] = {letter, ':', 0};
    if (m_platform.drives().GetDriveTypeA(drive) != DRIVE_CDROM) return INVALID_HANDLE_VALUE;
    return OpenDevice(letter);
}

bool TISODiscLib::CloseDevice(HANDLE device) {
    if (device == INVALID_HANDLE_VALUE || device == 0) return false;
    return m_platform.io().CloseHandle(device) != 0;
}

// Pending messages run before every attempt, so the window stays alive while a drive
// spins up; a handler that runs in here must not rely on anything this call holds.
bool TISODiscLib::waitUntilReady(HANDLE device) {
    for (int attempt = 0; attempt < kReadinessAttempts; ++attempt) {
        m_platform.system().Sleep(kReadinessPauseMs);
        m_pump.processPendingMessages();
        auto request = makeRequest(OpticalCommand::TestUnitReady);
        if (SendPassThrough(m_platform, device, request, nullptr)) return true;
    }
    return false;
}

std::string TISODiscLib::GetDriveCapabilitySummary(HANDLE device, std::optional<DvdPhysicalFormat>* disc) {
    if (disc) disc->reset();
    if (device == INVALID_HANDLE_VALUE || device == 0) return {};
    if (!waitUntilReady(device)) return {};

    const auto profile = ReadCurrentProfile(m_platform, device);
    if (!profile || !isKnownProfile(*profile)) return {};

    if (disc && isDvdProfile(*profile)) {
        std::array<uint8_t, 21> structure{};
        auto request = makeRequest(OpticalCommand::ReadDiscStructure);
        if (SendPassThrough(m_platform, device, request, structure.data()))
            *disc = decodeDvdPhysicalFormat(structure.data());
    }

    // The page's default values first; some drives (QEMU's ATAPI drive among them) refuse
    // those with ILLEGAL REQUEST and give only the current values. A failed request leaves
    // the buffer zeroed: no phrases, all figures 0.
    std::array<uint8_t, 440> response{};
    auto request = makeRequest(OpticalCommand::ModeSense10);
    if (!SendPassThrough(m_platform, device, request, response.data()) || request.scsiStatus() != 0) {
        response.fill(0);
        auto current = makeRequest(OpticalCommand::ModeSense10Current);
        if (!SendPassThrough(m_platform, device, current, response.data()) || current.scsiStatus() != 0) response.fill(0);
    }
    return buildCapabilitySummary(capabilityPageBytes(response.data(), response.size()));
}

std::string QueryDriveCapabilitySummary(platform::Platform& platform, IEventPump& pump, char letter,
                                        std::optional<DvdPhysicalFormat>* disc) {
    TISODiscLib library(platform, pump);
    const HANDLE device = library.OpenOpticalDrive(letter);
    std::string summary = library.GetDriveCapabilitySummary(device, disc);
    library.CloseDevice(device);
    return summary;
}

}  // namespace zv::optical
