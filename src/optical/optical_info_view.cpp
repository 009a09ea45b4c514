#include "optical/optical_info_view.h"

#include "optical/capability_summary.h"
#include "optical/iso_disc_lib.h"
#include "optical/media_profiles.h"
#include "optical/mmc_commands.h"
#include "optical/tray_door.h"

#include <array>
#include <cstring>

namespace zv::optical {

using namespace zv::win;

std::string OpticalInfoView::driveEntry(char letter) {
    const char root[4] = {letter, ':', '\\', 0};
    std::array<char, 81> label{};
    DWORD serial = 0, componentLength = 0, flags = 0;
    std::array<char, 21> fileSystem{};
    std::string name;
    if (m_platform.drives().GetVolumeInformationA(root, label.data(), DWORD(label.size()), &serial, &componentLength,
                                                  &flags, fileSystem.data(), DWORD(fileSystem.size())))
        name.assign(label.data(), strnlen(label.data(), label.size()));
    return std::string(1, letter) + ": [" + name + "]";
}

void OpticalInfoView::Refresh1Click() {
    m_entries.clear();
    std::array<char, 255> roots{};
    const DWORD length = m_platform.drives().GetLogicalDriveStringsA(DWORD(roots.size()), roots.data());
    // A length beyond the buffer is the size needed: read only what fits.
    const size_t end = length < roots.size() ? length : roots.size() - 1;
    for (size_t at = 0; at < end && roots[at] != 0;) {
        const char letter = roots[at];
        const char drive[3] = {letter, ':', 0};
        if (m_platform.drives().GetDriveTypeA(drive) == DRIVE_CDROM) m_entries.push_back(driveEntry(letter));
        while (at < end && roots[at] != 0) ++at;
        ++at;
    }
    m_driveText = m_entries.empty() ? std::string() : m_entries.front();
    cbDriveChange();
}

void OpticalInfoView::cbDriveChange() {
    if (m_driveText.empty()) return;
    const char letter = m_driveText[0];
    const unsigned generation = ++m_readGeneration;
    try {
        m_fields = splitIdentification(ReadInquiryText(m_platform, letter));
    } catch (...) {
        m_fields = {};
    }
    std::string summary;
    try {
        summary = QueryDriveCapabilitySummary(m_platform, m_pump, letter);
    } catch (...) {
        summary.clear();
    }
    if (generation == m_readGeneration) m_capabilityLines = summaryLines(summary);
}

void OpticalInfoView::Button1Click() {
    if (m_driveText.empty()) return;
    const char letter = m_driveText[0];
    const char root[4] = {letter, ':', '\\', 0};
    const UINT type = m_platform.drives().GetDriveTypeA(root);
    if (type != DRIVE_CDROM && type != DRIVE_REMOVABLE) throw CommandError("Cannot eject drive.");
    SetTrayDoor(m_platform, letter, true);
}

void OpticalInfoView::Button2Click() {
    if (m_driveText.empty()) return;
    const char letter = m_driveText[0];
    const char root[4] = {letter, ':', '\\', 0};
    if (m_platform.drives().GetDriveTypeA(root) != DRIVE_CDROM) throw CommandError("Cannot access drive.");
    SetTrayDoor(m_platform, letter, false);
}

void OpticalInfoView::Button3Click() {
    if (m_driveText.empty()) return;
    const char letter = m_driveText[0];
    auto& io = m_platform.io();
    const HANDLE device = io.CreateFileA(devicePath(letter).c_str(), GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    std::optional<MediaProfile> profile;
    if (device != INVALID_HANDLE_VALUE) {
        profile = QueryMediaProfile(m_platform, device);
        io.CloseHandle(device);
    }
    if (!profile) throw CommandError("Error reading disc!");
    m_messages.messageDialog(std::string("The Inserted media is ") + profile->text, DialogKind::Information,
                             DialogButtons::Ok);
}

}  // namespace zv::optical
