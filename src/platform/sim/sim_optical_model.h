// Simulated optical drives and ejectable removable disks: what the machine file says of
// them and the state the program's requests change (tray, door lock, readiness count).
#pragma once

#include "platform/api/win32.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zv::sim {

class JsonReader;

struct SimOpticalDrive {
    enum class Readiness {
        Ready,         // TEST UNIT READY: GOOD (or NOT READY, MEDIUM NOT PRESENT without a disc)
        NotReady,      // carried, CHECK CONDITION: NOT READY, BECOMING READY (02/04/01)
        ReadyAfter,    // the first `readyAfter` requests are not carried (ERROR_NOT_READY)
        Unresponsive,  // no request is carried: each times out (ERROR_SEM_TIMEOUT)
    };
    Readiness readiness = Readiness::Ready;
    uint32_t readyAfter = 0;
    uint32_t readinessRequests = 0;

    uint16_t profile = 0x0008;           // current profile while a disc is in the closed tray
    std::vector<uint16_t> profiles;      // the drive's profile list (defaults to the current one)
    std::vector<uint8_t> capabilityPage; // mode page 0x2A from its page code on
    bool recordedPage = false;           // the page is recorded bytes: sent as it stands
    uint16_t blockDescriptorLength = 0;  // block descriptor bytes before the page
    bool answersDefaultValues = true;    // false: page control "default values" is refused
    std::vector<uint8_t> physicalFormat; // READ DISC STRUCTURE format 0 data (after the 4-byte header)

    bool trayOpen = false;
    bool doorLocked = false;
    bool canEject = true;
    bool canClose = true;  // slot-in and many laptop drives cannot pull the tray in
    bool lockable = true;
};

struct SimRemovableDisk {
    bool ejectable = true;
    bool lockable = true;
    bool doorLocked = false;
};

// Reads an entry's "optical" object; throws MachineFileError on a bad value.
SimOpticalDrive loadOpticalDrive(const JsonReader& optical);
SimRemovableDisk loadRemovableDisk(const JsonReader& removable);

// The capability page (30 bytes) from readable fields; the lock state bit follows the door.
std::vector<uint8_t> capabilityPageFor(const SimOpticalDrive& drive);
// Physical format information for a DVD profile when the file gives none.
std::vector<uint8_t> defaultPhysicalFormat(uint16_t profile);

}  // namespace zv::sim
