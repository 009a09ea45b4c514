// What the disk information window shows: the drive box and every field after a refresh.
// The window forwards its events here and copies the fields into its controls.
#pragma once

#include "common/ui_services.h"
#include "diskinfo/volume_details.h"
#include "platform/api/platform.h"

#include <string>
#include <utility>
#include <vector>

namespace zv::diskinfo {

struct DiskInfoFields {
    std::string driveType;          // info2: type name, " - ", file system
    std::string bootable;           // info3: "YES" / "NO"
    std::string volumeSerial;       // Info1
    std::string capacity;           // info4: "#,#0 bytes"
    std::string deviceName;         // Edit1
    std::string freeSpace;          // info5: "#,#0 bytes"
    std::string bytesPerSector;     // info6
    std::string sectorsPerCluster;  // info7
    std::string totalClusters;      // info9: "#,#0"
    std::string freeClusters;       // info8: "#,#0"
    std::string ideSerial;          // Edit11
    std::string physicalDrive;      // Edit2
    std::string partitionCount;     // Edit3
    std::string partitionNumber;    // Edit4
    std::string partitionType;      // Edit5
    std::string startOffset;        // Edit6
    std::string partitionLength;    // Edit7
    std::string hiddenSectors;      // Edit8
    // clbFlags: the capability names in member order, ticked when present.
    std::vector<std::pair<std::string, bool>> flags;
};

class DiskInfoView {
public:
    DiskInfoView(platform::Platform& platform, IMessages& messages);

    // The window became visible: the drive box is filled afresh (showing the window again
    // does not repeat its items), the first item chosen and the fields refreshed.
    void formShow();
    // The user chose item `index` of the drive box.
    void chooseItem(int index);
    // The drive box text changed: refresh for the drive it names.
    void cbDriveChange();
    // Fills the drive box and chooses the item of `letter`; a letter that is no fixed
    // drive gets an item of its own (the command line may name any drive).
    void chooseLetter(char letter);

    const std::vector<std::string>& items() const { return m_items; }
    int currentIndex() const { return m_current; }
    std::string boxText() const;
    const DiskInfoFields& fields() const { return m_fields; }
    const TVolumeDetails& details() const { return m_details; }

private:
    void showVolume(char letter);
    void showLayout(char letter, int32_t partitionNumber);
    void clearPartitionFields();

    platform::Platform& m_platform;
    IMessages& m_messages;
    std::vector<std::string> m_items;
    int m_current = -1;
    TVolumeDetails m_details;
    DiskInfoFields m_fields;
};

}  // namespace zv::diskinfo
