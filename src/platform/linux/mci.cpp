// The multimedia door commands of the CD audio device: the command string "set cdaudio door
// open|closed [wait]" on the default optical drive, and MCI_OPEN "CDAudio" with an element
// "X:", MCI_SET door open or closed, MCI_CLOSE. They end in the same CD-ROM ioctls as the
// eject and load requests.
#include "platform/linux/linux_parts.h"
#include "platform/linux/optical_media.h"
#include "platform/linux/optical_sg.h"
#include "platform/linux/sysfs.h"

#include <cctype>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

namespace zv::lnx {

namespace {

// Opened CD audio devices: device identifier -> drive node, per backend.
struct MciDevices {
    std::mutex lock;
    std::map<const LinuxContext*, std::map<MCIDEVICEID, std::string>> nodes;
    MCIDEVICEID next = 1;
};

MciDevices& mciDevices() {
    static MciDevices devices;
    return devices;
}

DWORD mciErrorOf(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS: return 0;
    case ERROR_INVALID_FUNCTION: return MCIERR_UNSUPPORTED_FUNCTION;
    case ERROR_NOT_READY: return MCIERR_DEVICE_NOT_READY;
    default: return MCIERR_HARDWARE;
    }
}

DWORD setDoor(LinuxContext& ctx, const std::string& node, bool open) {
    if (node.empty()) return MCIERR_INVALID_DEVICE_NAME;
    const int fd = openNodeForCommands(ctx.seam(), ctx.sysPath(node));
    if (fd < 0) return MCIERR_HARDWARE;
    const DWORD error = open ? opticalOpenTray(ctx, fd, node) : opticalCloseTray(ctx, fd);
    ctx.seam().close(fd);
    return mciErrorOf(error);
}

}  // namespace

DWORD linuxMciSendString(LinuxContext& ctx, const char* command, char* returnString, UINT returnLength) {
    if (returnString && returnLength) returnString[0] = 0;
    if (!command) return MCIERR_UNRECOGNIZED_COMMAND;
    std::istringstream words(lowerCase(command));
    std::vector<std::string> parts;
    for (std::string word; words >> word;) parts.push_back(word);
    const bool wait = parts.size() == 5 && parts[4] == "wait";
    if ((parts.size() != 4 && !wait) || parts[0] != "set" || parts[2] != "door" ||
        (parts[3] != "open" && parts[3] != "closed"))
        return MCIERR_UNRECOGNIZED_COMMAND;
    if (parts[1] != "cdaudio") return MCIERR_INVALID_DEVICE_NAME;
    // The commands always run to the end: "wait" changes nothing here.
    return setDoor(ctx, defaultOpticalNode(ctx), parts[3] == "open");
}

DWORD linuxMciSendCommand(LinuxContext& ctx, MCIDEVICEID device, UINT message, DWORD flags, void* params) {
    MciDevices& devices = mciDevices();
    if (message == MCI_OPEN) {
        auto* open = static_cast<MCI_OPEN_PARMSA*>(params);
        if (!open || !(flags & MCI_OPEN_TYPE) || !open->lpstrDeviceType) return MCIERR_INVALID_DEVICE_NAME;
        if (lowerCase(open->lpstrDeviceType) != "cdaudio") return MCIERR_INVALID_DEVICE_NAME;
        std::string node = defaultOpticalNode(ctx);
        if (flags & MCI_OPEN_ELEMENT) {
            const std::string element = open->lpstrElementName ? open->lpstrElementName : "";
            if (element.size() < 2 || element[1] != ':') return MCIERR_INVALID_DEVICE_NAME;
            const auto target = ctx.target(char(std::toupper(static_cast<unsigned char>(element[0]))));
            if (!target || target->driveType != DRIVE_CDROM || target->devNode.empty()) return MCIERR_INVALID_DEVICE_NAME;
            node = target->devNode;
        }
        if (node.empty()) return MCIERR_INVALID_DEVICE_NAME;
        std::lock_guard guard(devices.lock);
        const MCIDEVICEID id = devices.next++;
        devices.nodes[&ctx][id] = node;
        open->wDeviceID = id;
        return 0;
    }
    std::string node;
    {
        std::lock_guard guard(devices.lock);
        auto& table = devices.nodes[&ctx];
        auto it = table.find(device);
        if (it == table.end()) return MCIERR_INVALID_DEVICE_ID;
        node = it->second;
        if (message == MCI_CLOSE) {
            table.erase(it);
            if (table.empty()) devices.nodes.erase(&ctx);
            return 0;
        }
    }
    if (message != MCI_SET) return MCIERR_UNRECOGNIZED_COMMAND;
    const bool open = flags & MCI_SET_DOOR_OPEN;
    const bool closed = flags & MCI_SET_DOOR_CLOSED;
    if (open == closed) return MCIERR_UNSUPPORTED_FUNCTION;
    return setDoor(ctx, node, open);
}

}  // namespace zv::lnx
