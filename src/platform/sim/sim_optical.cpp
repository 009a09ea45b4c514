// Simulated optical drives ("optical" in a drive entry) and ejectable removable disks
// ("removable_media"): their SCSI answers, eject, load and door lock, and the multimedia
// door commands of the CD audio device.
#include "platform/api/pass_through.h"
#include "platform/sim/json_reader.h"
#include "platform/sim/sim_feature.h"
#include "platform/sim/sim_optical_answers.h"
#include "platform/sim/sim_optical_model.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <sstream>

namespace zv::sim {

namespace {

using platform::PassThroughLayout;

std::string lowerCase(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

class SimOpticalFeature final : public SimFeature {
public:
    explicit SimOpticalFeature(SimContext& context) : m_context(context) {}

    std::vector<std::string> driveKeys() const override { return {"optical", "removable_media"}; }

    void loadDrive(char letter, const JsonReader& drive) override {
        if (drive.has("optical") && drive.has("removable_media"))
            drive.child("removable_media").fail("a drive is either optical or a removable disk, not both");
        if (drive.has("optical")) {
            const SimOpticalDrive& optical = m_optical[letter] = loadOpticalDrive(drive.child("optical"));
            // A disc cannot be read from an open tray.
            if (optical.trayOpen) m_context.setMediumPresent(letter, false);
        }
        if (drive.has("removable_media")) m_removable[letter] = loadRemovableDisk(drive.child("removable_media"));
    }

    bool deviceControl(SimContext& context, const SimDeviceTarget& target, DWORD code, const void* in, DWORD inSize,
                       void*, DWORD, DWORD* returned, BOOL* result) override {
        if (code != IOCTL_STORAGE_EJECT_MEDIA && code != IOCTL_STORAGE_LOAD_MEDIA && code != IOCTL_STORAGE_MEDIA_REMOVAL)
            return false;
        if (returned) *returned = 0;
        if (auto it = m_optical.find(target.letter); it != m_optical.end()) {
            *result = opticalControl(context, target.letter, it->second, code, in, inSize);
            return true;
        }
        if (auto it = m_removable.find(target.letter); it != m_removable.end()) {
            *result = removableControl(context, target.letter, it->second, code, in, inSize);
            return true;
        }
        return false;
    }

    bool passThrough(SimContext& context, const SimDeviceTarget& target, uint8_t* block, void* data, DWORD* returned,
                     BOOL* result) override {
        auto it = m_optical.find(target.letter);
        if (it == m_optical.end()) return false;
        using L = PassThroughLayout;
        const platform::PassThroughView view{block};
        const auto answer = answerOpticalCommand(context, target.letter, it->second, view.cdb(), view.cdbLength(),
                                                 view.dataTransferLength());
        if (!answer) return false;
        context.note(answer->note);
        if (!answer->carried) {
            context.setLastError(answer->error);
            *result = FALSE;
            return true;
        }
        deliverAnswer(*answer, block, data, allocationLength(view.cdb()));
        if (returned) *returned = DWORD(L::Size);
        *result = TRUE;
        return true;
    }

    bool mciSendString(SimContext& context, const std::string& command, DWORD* result) override {
        std::istringstream words(lowerCase(command));
        std::vector<std::string> parts;
        for (std::string word; words >> word;) parts.push_back(word);
        if (parts.size() < 4 || parts[0] != "set" || parts[1] != "cdaudio" || parts[2] != "door") return false;
        const bool wait = parts.size() == 5 && parts[4] == "wait";
        if ((parts[3] != "open" && parts[3] != "closed") || (parts.size() == 5 && !wait) || parts.size() > 5) {
            *result = MCIERR_UNRECOGNIZED_COMMAND;
            return true;
        }
        const char letter = defaultCd();
        if (!letter) return false;
        *result = setDoor(context, letter, parts[3] == "open");
        return true;
    }

    bool mciSendCommand(SimContext& context, MCIDEVICEID device, UINT message, DWORD flags, void* params,
                        DWORD* result) override {
        if (message == MCI_OPEN) return openCdAudio(context, flags, static_cast<MCI_OPEN_PARMSA*>(params), result);
        auto it = m_mciDevices.find(device);
        if (it == m_mciDevices.end()) return false;
        if (message == MCI_SET) {
            const bool open = flags & MCI_SET_DOOR_OPEN;
            const bool closed = flags & MCI_SET_DOOR_CLOSED;
            *result = open == closed ? MCIERR_UNSUPPORTED_FUNCTION : setDoor(context, it->second, open);
            return true;
        }
        if (message == MCI_CLOSE) {
            m_mciDevices.erase(it);
            *result = 0;
            return true;
        }
        *result = MCIERR_UNRECOGNIZED_COMMAND;
        return true;
    }

private:
    BOOL fail(SimContext& context, DWORD error, const std::string& why) {
        context.note(why);
        context.setLastError(error);
        return FALSE;
    }

    BOOL opticalControl(SimContext& context, char letter, SimOpticalDrive& drive, DWORD code, const void* in,
                        DWORD inSize) {
        switch (code) {
        case IOCTL_STORAGE_EJECT_MEDIA:
            if (drive.doorLocked) return fail(context, ERROR_BUSY, "eject refused: the door is locked");
            if (!drive.canEject) return fail(context, ERROR_NOT_SUPPORTED, "the drive cannot open its tray");
            openTray(context, letter, drive);
            return TRUE;
        case IOCTL_STORAGE_LOAD_MEDIA:
            if (!drive.canClose) return fail(context, ERROR_NOT_SUPPORTED, "the drive cannot close its tray");
            drive.trayOpen = false;
            context.note("tray closed");
            return TRUE;
        default:
            if (!in || inSize < 1) return fail(context, ERROR_INVALID_PARAMETER, "PREVENT_MEDIA_REMOVAL needs 1 byte");
            if (!drive.lockable) return fail(context, ERROR_NOT_SUPPORTED, "the drive has no door lock");
            drive.doorLocked = *static_cast<const uint8_t*>(in) != 0;
            context.note(drive.doorLocked ? "door locked" : "door unlocked");
            return TRUE;
        }
    }

    BOOL removableControl(SimContext& context, char letter, SimRemovableDisk& disk, DWORD code, const void* in,
                          DWORD inSize) {
        switch (code) {
        case IOCTL_STORAGE_EJECT_MEDIA:
            if (disk.doorLocked) return fail(context, ERROR_BUSY, "eject refused: medium removal is prevented");
            if (!disk.ejectable) return fail(context, ERROR_NOT_SUPPORTED, "the disk cannot be ejected");
            context.setMediumPresent(letter, false);
            context.note("medium ejected");
            return TRUE;
        case IOCTL_STORAGE_LOAD_MEDIA:
            return fail(context, ERROR_NOT_SUPPORTED, "a removable disk cannot load its medium");
        default:
            if (!in || inSize < 1) return fail(context, ERROR_INVALID_PARAMETER, "PREVENT_MEDIA_REMOVAL needs 1 byte");
            if (!disk.lockable) return fail(context, ERROR_NOT_SUPPORTED, "the disk has no lock");
            disk.doorLocked = *static_cast<const uint8_t*>(in) != 0;
            context.note(disk.doorLocked ? "medium removal prevented" : "medium removal allowed");
            return TRUE;
        }
    }

    // An open tray holds no readable disc: the simulated user takes it out.
    void openTray(SimContext& context, char letter, SimOpticalDrive& drive) {
        drive.trayOpen = true;
        context.setMediumPresent(letter, false);
        context.note("tray opened, medium removed");
    }

    DWORD setDoor(SimContext& context, char letter, bool open) {
        SimOpticalDrive& drive = m_optical.at(letter);
        if (open) {
            if (drive.doorLocked) {
                context.note("door open refused: the door is locked");
                return MCIERR_HARDWARE;
            }
            if (!drive.canEject) return MCIERR_UNSUPPORTED_FUNCTION;
            openTray(context, letter, drive);
            return 0;
        }
        if (!drive.canClose) return MCIERR_UNSUPPORTED_FUNCTION;
        drive.trayOpen = false;
        context.note("tray closed");
        return 0;
    }

    // The CD audio device's default drive: the first optical drive.
    char defaultCd() const { return m_optical.empty() ? 0 : m_optical.begin()->first; }

    bool openCdAudio(SimContext& context, DWORD flags, MCI_OPEN_PARMSA* params, DWORD* result) {
        if (!params || !(flags & MCI_OPEN_TYPE) || !params->lpstrDeviceType) return false;
        if (lowerCase(params->lpstrDeviceType) != "cdaudio") return false;
        char letter = defaultCd();
        if (flags & MCI_OPEN_ELEMENT) {
            const std::string element = params->lpstrElementName ? params->lpstrElementName : "";
            const char named = element.empty() ? 0 : char(std::toupper(static_cast<unsigned char>(element[0])));
            const bool drive = (element.size() == 2 && element[1] == ':') || (element.size() == 3 && element.substr(1) == ":\\");
            letter = drive && m_optical.count(named) ? named : 0;
        }
        if (!letter) {
            context.note("no CD audio device for the element");
            *result = MCIERR_INVALID_DEVICE_NAME;
            return true;
        }
        const MCIDEVICEID id = m_nextDevice++;
        m_mciDevices[id] = letter;
        params->wDeviceID = id;
        context.note(std::string("CD audio device ") + std::to_string(id) + " on " + letter + ":");
        *result = 0;
        return true;
    }

    SimContext& m_context;
    std::map<char, SimOpticalDrive> m_optical;
    std::map<char, SimRemovableDisk> m_removable;
    std::map<MCIDEVICEID, char> m_mciDevices;
    MCIDEVICEID m_nextDevice = 1;
};

}  // namespace

std::unique_ptr<SimFeature> makeSimOpticalFeature(SimContext& context) {
    return std::make_unique<SimOpticalFeature>(context);
}

}  // namespace zv::sim
