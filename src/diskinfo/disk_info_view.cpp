#include "diskinfo/disk_info_view.h"

#include "common/number_format.h"
#include "diskinfo/drive_layout.h"
#include "diskinfo/fixed_drive_items.h"
#include "diskinfo/ide_serial.h"
#include "diskinfo/physical_drive.h"
#include "diskinfo/system_message.h"

#include <cctype>

namespace zv::diskinfo {

DiskInfoView::DiskInfoView(platform::Platform& platform, IMessages& messages)
    : m_platform(platform), m_messages(messages) {}

std::string DiskInfoView::boxText() const {
    return m_current >= 0 && m_current < int(m_items.size()) ? m_items[size_t(m_current)] : std::string();
}

void DiskInfoView::formShow() {
    m_items = FixedDriveItems(m_platform);
    m_current = m_items.empty() ? -1 : 0;
    cbDriveChange();
}

void DiskInfoView::chooseItem(int index) {
    if (index < 0 || index >= int(m_items.size())) return;
    m_current = index;
    cbDriveChange();
}

void DiskInfoView::chooseLetter(char letter) {
    m_items = FixedDriveItems(m_platform);
    const char wanted = char(std::toupper(static_cast<unsigned char>(letter)));
    m_current = -1;
    for (size_t i = 0; i < m_items.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(m_items[i][0])) == wanted) m_current = int(i);
    if (m_current < 0) {
        m_items.push_back(std::string(1, wanted) + ": [" + VolumeLabel(m_platform, wanted) + "]");
        m_current = int(m_items.size()) - 1;
    }
    cbDriveChange();
}

void DiskInfoView::cbDriveChange() {
    const std::string text = boxText();
    if (text.empty()) return;
    const char letter = char(std::toupper(static_cast<unsigned char>(text[0])));
    m_fields.flags.clear();
    m_details.TotalBytes = 0;
    m_details.FreeBytes = 0;
    showVolume(letter);

    // The disk number and the partition holding the volume come from one device-number query.
    const DeviceNumber number = DeviceNumberOf(m_platform, std::string(1, text[0]) + ":");
    const uint16_t shownNumber = uint16_t(number.diskNumber);  // a failed lookup shows 65535
    m_fields.physicalDrive = std::to_string(shownNumber);
    m_fields.deviceName = DosDeviceName(m_platform, letter);
    showLayout(letter, number.partitionNumber);
    m_fields.ideSerial = trimBlanks(IdeSerialNumber(m_platform, shownNumber));
}

void DiskInfoView::showVolume(char letter) {
    const std::string root = std::string(1, letter) + ":";
    const bool ready = CheckVolumeReady(m_platform, root);
    GatherVolumeDetails(m_platform, root, ready, m_details);
    m_fields.driveType = DriveTypeName(m_details.DriveType) + " - " + m_details.FileSystemName;

    std::string& item = m_items[size_t(m_current)];
    if (item.find('[') == std::string::npos) item += " [" + m_details.VolumeLabel + "]";

    const auto locale = m_platform.system().GetLocaleSeparators();
    m_fields.capacity = formatGrouped(m_details.TotalBytes, locale) + " bytes";
    m_fields.freeSpace = formatGrouped(m_details.FreeBytes, locale) + " bytes";
    m_fields.volumeSerial = m_details.SerialText;
    m_fields.bytesPerSector = std::to_string(m_details.BytesPerSector);
    m_fields.sectorsPerCluster = std::to_string(m_details.SectorsPerCluster);
    m_fields.freeClusters = formatGrouped(int64_t(m_details.FreeClusters), locale);
    m_fields.totalClusters = formatGrouped(int64_t(m_details.TotalClusters), locale);

    std::vector<std::string> lines;
    CapabilityLines(m_details.Capabilities, lines, true);
    for (const auto& line : lines) {
        const size_t colon = line.find(':');
        const std::string name = line.substr(0, colon);
        const std::string answer = colon == std::string::npos || colon + 2 > line.size() ? "" : line.substr(colon + 2);
        m_fields.flags.emplace_back(name, answer == "Yes");
    }
}

void DiskInfoView::clearPartitionFields() {
    m_fields.partitionNumber.clear();
    m_fields.partitionType.clear();
    m_fields.bootable.clear();
    m_fields.startOffset.clear();
    m_fields.partitionLength.clear();
    m_fields.hiddenSectors.clear();
}

void DiskInfoView::showLayout(char letter, int32_t partitionNumber) {
    DriveLayout layout;
    clearPartitionFields();
    if (!ReadDriveLayout(m_platform, letter, layout)) {
        // The fields of another drive must not stay beside this one.
        m_fields.partitionCount.clear();
        m_messages.showMessage(systemMessage(m_platform, m_platform.GetLastError()));
        return;
    }
    m_fields.partitionCount = std::to_string(layout.entries.size());
    const DriveLayoutEntry* entry = partitionNumber > 0 ? layout.partition(uint32_t(partitionNumber)) : nullptr;
    if (!entry) return;
    m_fields.partitionNumber = std::to_string(entry->PartitionNumber);
    m_fields.partitionType = entry->typeName();
    m_fields.bootable = entry->BootIndicator ? "YES" : "NO";
    m_fields.startOffset = std::to_string(entry->StartingOffset);
    m_fields.partitionLength = std::to_string(entry->PartitionLength);
    m_fields.hiddenSectors = std::to_string(entry->HiddenSectors);
}

}  // namespace zv::diskinfo
