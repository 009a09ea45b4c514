// What the optical information window shows and does, apart from its widgets: the drive
// box's entries, the four identification fields, the capability lines, and the three
// buttons. The window forwards its events here and paints from the state.
#pragma once

#include "common/ui_services.h"
#include "optical/inquiry_text.h"
#include "platform/api/platform.h"

#include <string>
#include <vector>

namespace zv::optical {

class OpticalInfoView {
public:
    OpticalInfoView(platform::Platform& platform, IMessages& messages, IEventPump& pump)
        : m_platform(platform), m_messages(messages), m_pump(pump) {}

    // `FormShow` runs `Refresh1Click`: the drive box is filled from scratch (showing the
    // window again lists each drive once), its first entry chosen and read.
    void FormShow() { Refresh1Click(); }
    void Refresh1Click();
    // Reads the drive named by the first character of the box's text; nothing when empty.
    void cbDriveChange();
    // "Open Tray", "Close Tray", "Analyse Disk". With an empty box they do nothing. Errors
    // ("Cannot eject drive.", "Cannot access drive.", "Error reading disc!") are raised as
    // CommandError for the application error box.
    void Button1Click();
    void Button2Click();
    void Button3Click();

    // The box: its entries ("D: [LABEL]") and its current text (chosen or typed).
    const std::vector<std::string>& driveEntries() const { return m_entries; }
    const std::string& driveText() const { return m_driveText; }
    void setDriveText(const std::string& text) { m_driveText = text; }

    const IdentificationFields& fields() const { return m_fields; }
    const std::vector<std::string>& capabilityLines() const { return m_capabilityLines; }

private:
    std::string driveEntry(char letter);

    platform::Platform& m_platform;
    IMessages& m_messages;
    IEventPump& m_pump;
    std::vector<std::string> m_entries;
    std::string m_driveText;
    IdentificationFields m_fields;
    std::vector<std::string> m_capabilityLines;
    // Counts drive reads: a read that another one overtook while it waited for its drive
    // (messages run during the wait) leaves the newer one's lines in place.
    unsigned m_readGeneration = 0;
};

}  // namespace zv::optical
