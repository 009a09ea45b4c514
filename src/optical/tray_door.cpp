#include "optical/tray_door.h"

namespace zv::optical {

using namespace zv::win;

bool SetTrayDoor(platform::Platform& platform, char letter, bool open) {
    auto& shell = platform.shell();
    const char element[3] = {letter, ':', 0};
    MCI_OPEN_PARMSA parameters;
    parameters.lpstrDeviceType = "CDAudio";
    parameters.lpstrElementName = element;
    if (shell.mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, &parameters) != 0) return false;
    const MCIDEVICEID device = parameters.wDeviceID;
    const DWORD result = shell.mciSendCommandA(device, MCI_SET, open ? MCI_SET_DOOR_OPEN : MCI_SET_DOOR_CLOSED, nullptr);
    shell.mciSendCommandA(device, MCI_CLOSE, 0, nullptr);
    return result == 0;
}

}  // namespace zv::optical
