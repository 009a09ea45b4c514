// Extension points of the simulated machine.
//
// The core of the simulated machine (drives, volumes, registry, network, files, clock,
// faults, call log) answers most operations itself. Device families with a protocol of their
// own (optical drives and removable media, physical disks with layouts and S.M.A.R.T., the
// check library and the management service) live in features: each reads its own keys of
// the machine file and answers its own requests through the shared codecs.
#pragma once

#include "platform/api/platform.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zv::sim {

using namespace zv::win;
class JsonReader;

// What a device path opened: "\\.\X:" (letter), "\\.\PhysicalDriveN", "\\.\SMARTVSD".
struct SimDeviceTarget {
    char letter = 0;          // 'A'..'Z' for a drive letter device, else 0
    int physicalDrive = -1;   // N of "\\.\PhysicalDriveN", else -1
    bool smartVsd = false;    // "\\.\SMARTVSD"
    DWORD access = 0;
    DWORD shareMode = 0;
    DWORD flags = 0;
};

// Services of the core that features use.
class SimContext {
public:
    virtual ~SimContext() = default;
    virtual void setLastError(DWORD error) = 0;
    virtual uint64_t nowNanoseconds() const = 0;
    virtual void advanceClock(uint64_t nanoseconds) = 0;
    // GetDriveTypeA's answer for the letter (DRIVE_NO_ROOT_DIR when absent).
    virtual UINT driveType(char letter) const = 0;
    // Whether the letter's volume can be read now (volume information, free space).
    virtual bool mediumPresent(char letter) const = 0;
    virtual void setMediumPresent(char letter, bool present) = 0;
    virtual bool isAdministrator() const = 0;
    // Adds a remark to the call log entry of the operation being served.
    virtual void note(const std::string& text) = 0;
    // The machine file's name, for error messages.
    virtual const std::string& fileName() const = 0;
};

class SimFeature {
public:
    virtual ~SimFeature() = default;

    // Keys this feature reads inside an entry of "drives", and at the machine's top level.
    // The loader refuses every key that neither the core nor a feature names.
    virtual std::vector<std::string> driveKeys() const { return {}; }
    virtual std::vector<std::string> machineKeys() const { return {}; }
    // Called for every drive entry and once for the whole file, after the core has loaded
    // its own keys. Throw MachineFileError (JsonReader::fail) on a bad value.
    virtual void loadDrive(char /*letter*/, const JsonReader& /*drive*/) {}
    virtual void loadMachine(const JsonReader& /*root*/) {}

    // Opening a device path the core does not know (physical drives, SMARTVSD). nullopt:
    // not this feature's; true: opens; false: fails with *error.
    virtual std::optional<bool> openDevice(SimContext&, const SimDeviceTarget&, DWORD* /*error*/) {
        return std::nullopt;
    }
    // Device control on an open device. Return true when this feature serves the request
    // (then *result is the call's BOOL and the error, if any, is set through the context).
    virtual bool deviceControl(SimContext&, const SimDeviceTarget&, DWORD /*code*/, const void* /*in*/,
                               DWORD /*inSize*/, void* /*out*/, DWORD /*outSize*/, DWORD* /*returned*/,
                               BOOL* /*result*/) {
        return false;
    }
    // IOCTL_SCSI_PASS_THROUGH_DIRECT on a letter device, for commands other than the
    // INQUIRY that the core answers from a drive's identity.
    virtual bool passThrough(SimContext&, const SimDeviceTarget&, uint8_t* /*block*/, void* /*data*/,
                             DWORD* /*returned*/, BOOL* /*result*/) {
        return false;
    }
    // Multimedia door commands. Return true when served, with the MCI result in *result.
    virtual bool mciSendString(SimContext&, const std::string& /*command*/, DWORD* /*result*/) { return false; }
    virtual bool mciSendCommand(SimContext&, MCIDEVICEID /*device*/, UINT /*message*/, DWORD /*flags*/,
                                void* /*params*/, DWORD* /*result*/) {
        return false;
    }
    // The check library and the management service, where this feature provides them.
    virtual platform::ICheckLibrary* checkLibrary() { return nullptr; }
    virtual platform::IManagement* management() { return nullptr; }
};

// The features of every simulated machine, in dispatch order (sim_features.cpp).
std::vector<std::unique_ptr<SimFeature>> makeSimFeatures(SimContext& context);

// One factory per feature, each in its own file.
std::unique_ptr<SimFeature> makeSimOpticalFeature(SimContext& context);  // sim_optical.cpp
std::unique_ptr<SimFeature> makeSimDiskFeature(SimContext& context);     // sim_disk.cpp
std::unique_ptr<SimFeature> makeSimToolsFeature(SimContext& context);    // sim_tools.cpp

}  // namespace zv::sim
