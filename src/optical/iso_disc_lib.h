// `TISODiscLib`: the optical query object. It decides once, when created, whether raw
// commands may be sent at all, opens and closes drive devices, and builds the drive
// capability summary.
#pragma once

#include "common/ui_services.h"
#include "optical/disc_structure.h"
#include "platform/api/platform.h"

#include <optional>
#include <string>

namespace zv::optical {

class TISODiscLib {
public:
    // Readiness: this many TEST UNIT READY attempts, each after this pause.
    static constexpr int kReadinessAttempts = 10;
    static constexpr win::DWORD kReadinessPauseMs = 100;

    // `Create`: computes PassThroughAllowed (platform class 3, 4 or 5 and an administrator).
    // `pump` lets pending messages run during the readiness wait.
    TISODiscLib(platform::Platform& platform, IEventPump& pump);

    bool PassThroughAllowed() const { return m_passThroughAllowed; }

    // The device of the letter opened for reading and writing, shared; the invalid handle
    // without calling the system when pass-through is not allowed, or when the open fails.
    win::HANDLE OpenDevice(char letter);
    // As OpenDevice, but only for a letter whose GetDriveTypeA("X:") is DRIVE_CDROM.
    win::HANDLE OpenOpticalDrive(char letter);
    bool CloseDevice(win::HANDLE device);

    // The drive capability summary (see capability_summary.h), or "" when the handle is
    // invalid, no readiness request was carried in ten attempts, or the current profile
    // failed or is unknown. When `disc` is given and the current profile is a DVD kind, the
    // disc's physical format is also read into it (left empty otherwise). Never raises.
    std::string GetDriveCapabilitySummary(win::HANDLE device, std::optional<DvdPhysicalFormat>* disc = nullptr);

private:
    bool waitUntilReady(win::HANDLE device);

    platform::Platform& m_platform;
    IEventPump& m_pump;
    bool m_passThroughAllowed = false;
};

// The summary of a letter as both callers obtain it: create, OpenOpticalDrive, the summary,
// CloseDevice. "" for an unopenable drive.
std::string QueryDriveCapabilitySummary(platform::Platform& platform, IEventPump& pump, char letter,
                                        std::optional<DvdPhysicalFormat>* disc = nullptr);

}  // namespace zv::optical
