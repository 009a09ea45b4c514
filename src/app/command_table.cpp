#include "app/command_table.h"

#include "common/ui_services.h"

#include <algorithm>
#include <exception>
#include <set>

namespace zv::app {

namespace {
const MenuEntry kSeparator{nullptr, nullptr, nullptr, Command::None, Separator};
}  // namespace

const std::vector<MenuGroup>& mainMenus() {
    static const std::vector<MenuGroup> menus = {
        {"File1", "&File", {{"Close1", "Close", nullptr, Command::Close, 0}}},
        {"View1",
         "&View",
         {
             {"Refresh2", "Refresh", "F5", Command::Refresh, 0},
             {"Minimize2", "Minimize", nullptr, Command::Minimize, 0},
             {"Stayontop2", "Stay on top", nullptr, Command::StayOnTop, Checkable},
             {"AutoRefresh1", "Auto Refresh", nullptr, Command::AutoRefresh, Checkable | Checked},
             {"Bold1", "Bold", nullptr, Command::Bold, Checkable | Checked},
             {"SkipAandBdrives1", "Skip A and B drives", nullptr, Command::SkipAB, Checkable | Checked},
         }},
        {"Drives1",
         "&Drives",
         {
             {"Hide2", "Hide", nullptr, Command::HideDrive, 0},
             {"Reveal1", "Reveal", nullptr, Command::UnhideDrive, 0},
             kSeparator,
             {"Properties2", "Properties", nullptr, Command::Properties, 0},
             {"Explore1", "Explore", nullptr, Command::Explore, 0},
             kSeparator,
             {"DiskInformation1", "Disk Information", nullptr, Command::DiskInfoWindow, 0},
             {"SMARTInformation1", "SMART Information", nullptr, Command::SmartWindow, 0},
             {"CheckDisk1", "Check Disk", nullptr, Command::CheckDiskWindow, 0},
             {"DriveBenchmark2", "Drive Benchmark", nullptr, Command::BenchmarkWindow, 0},
             kSeparator,
             {"MapNetworkDrive2", "Map Network Drive", nullptr, Command::MapNetworkDrive, 0},
             {"DisconnectNetworkDrive2", "Disconnect Network Drive", nullptr, Command::DisconnectNetworkDrive, 0},
         }},
        {"Optical1",
         "&Optical",
         {
             {"EjectSelectedDrive1", "Eject Selected CD", nullptr, Command::EjectMedia, 0},
             {"CloseSelectedDrive1", "Close Selected CD", nullptr, Command::LoadMedia, 0},
             kSeparator,
             {"EjectDefaultCD1", "Eject Default CD", nullptr, Command::OpenDefaultCD, 0},
             {"CloseDefaultCD2", "Close Default CD", nullptr, Command::CloseDefaultCD, 0},
             kSeparator,
             {"LockSelected1", "Lock Selected", nullptr, Command::LockDoor, 0},
             {"UnlockSelected1", "Unlock Selected", nullptr, Command::UnlockDoor, 0},
             {"InsertedMediaType1", "Inserted Media Info", nullptr, Command::InsertedMedia, 0},
             kSeparator,
             {"OpticalInformation1", "Optical Information", nullptr, Command::OpticalInfoWindow, 0},
         }},
        {"Tools1",
         "&Tools",
         {
             {"SearchDrives1", "Search Drives", nullptr, Command::SearchDrives, 0},
             {"MinimizeAll1", "Minimize All", nullptr, Command::MinimizeAll, 0},
             {"Defrag1", "Defrag", nullptr, Command::Defrag, 0},
             {"NTBackup1", "NT Backup", nullptr, Command::NTBackup, 0},
             {"RemoveUSBDrive1", "Remove USB Drive", nullptr, Command::RemoveUSBDrive, 0},
             kSeparator,
             {"VolumeList1", "Volume List", nullptr, Command::VolumesWindow, 0},
             {"USBDriveReport1", "USB Drive Report", nullptr, Command::UsbDrivesWindow, 0},
             {"ClusterFigures1", "Cluster Figures", nullptr, Command::ClusterFiguresWindow, 0},
         }},
        {"Help1",
         "&Help",
         {
             {"ZorvaneHomepage1", "Zorvane - Homepage", nullptr, Command::ProductPage, 0},
             {"Donate1", "Donate", nullptr, Command::Donate, 0},
             {"About2", "About", nullptr, Command::About, 0},
         }},
    };
    return menus;
}

const std::vector<MenuEntry>& listPopupEntries() {
    static const std::vector<MenuEntry> entries = {
        {"Refresh1", "Refresh", "F5", Command::Refresh, KeyShownOnly},
        {"Explorer1", "Explorer", "F8", Command::ExploreWithHourglass, 0},
        kSeparator,
        {"LoadMedia1", "Load Media", nullptr, Command::LoadMedia, 0},
        {"EjectMedia1", "Eject Media", nullptr, Command::EjectMedia, 0},
        kSeparator,
        {"LockCDDoor1", "Lock CD Door", nullptr, Command::LockDoor, 0},
        {"UnlockCDDoor1", "Unlock CD Door", nullptr, Command::UnlockDoor, 0},
        kSeparator,
        {"HideDrive1", "Hide Selected Drive", nullptr, Command::HideDrive, 0},
        {"UnhideDrive1", "Unhide Selected Drive", nullptr, Command::UnhideDrive, 0},
        kSeparator,
        {"MapNetworkDrive1", "Map Network Drive", nullptr, Command::MapNetworkDrive, 0},
        {"DisconnectNetworkDrive1", "Disconnect Network Drive", nullptr, Command::DisconnectNetworkDrive, 0},
        kSeparator,
        {"SearchDrive1", "Search Drives", nullptr, Command::SearchDrives, 0},
        kSeparator,
        {"CreateSubstituteDrive1", "Create Substitute Drive", nullptr, Command::CreateSubst, 0},
        {"RemoveSubstituteDrive1", "Remove Substitute Drive", nullptr, Command::RemoveSubst, 0},
        kSeparator,
        {"Properties1", "Properties", "F6", Command::Properties, 0},
        kSeparator,
        {"About1", "About", nullptr, Command::About, 0},
        kSeparator,
        {"Minimize1", "Minimize", "F12", Command::Minimize, 0},
        {"Exit1", "Exit", "F10", Command::Exit, 0},
        kSeparator,
        // Present but not visible.
        {"Stayontop1", "Stay on top", nullptr, Command::StayOnTop, Checkable | Hidden},
        {"FormatDisk1", "Format Disk", nullptr, Command::FormatDisk, Hidden},
        {"Query1", "Show Substitute Directory", nullptr, Command::QuerySubst, Hidden},
        {"Settings1", "Settings", nullptr, Command::Settings, Hidden},
        {"Diskflags1", "Disk flags", nullptr, Command::DiskFlags, Hidden},
    };
    return entries;
}

const std::vector<ToolButtonEntry>& toolButtons() {
    static const std::vector<ToolButtonEntry> buttons = {
        {"ToolButton1", "Refresh", "Refresh drives. (F5)", "refresh", Command::Refresh, {}, false},
        {"ToolButton2", "Explore", "Explorer selected  drive F8", "explore", Command::Explore, {}, false},
        {"ToolButton3", "Eject CD", "Open / Eject Highlighted CD/DVD/Zip drive.", "eject", Command::EjectMedia,
         {{"LoadCD1", "Load CD", nullptr, Command::LoadMedia, 0}}, true},
        {"ToolButton5", "Hide", "Hide highlighted drive", "hide", Command::HideDrive,
         {{"Unhide2", "Unhide", nullptr, Command::UnhideAndRefresh, 0}}, true},
        {"ToolButton7", "Properties", "Selected drive properties", "properties", Command::Properties, {}, false},
        {"ToolButton10", "Subst", "Create substitute drive letter for local folder.", "subst", Command::CreateSubst,
         {{"Unsubst2", "Unsubst", nullptr, Command::RemoveSubst, 0}}, true},
        {"ToolButton8", "Disk Info", nullptr, "diskinfo", Command::DiskInfoWindow,
         {{"DriveBenchmark1", "Drive Benchmark", nullptr, Command::BenchmarkWindow, 0}}, false},
        {"ToolButton9", "SMART", nullptr, "smart", Command::SmartWindow, {}, false},
        {"ToolButton11", "Chk Disk", nullptr, "chkdisk", Command::CheckDiskWindow, {}, false},
        {"ToolButton13", "CD/DVD", nullptr, "optical", Command::OpticalInfoWindow, {}, false},
        {"ToolButton14", "Exit", "Exit Zorvane. (F10)", "exit", Command::Exit, {}, false},
    };
    return buttons;
}

const std::vector<MenuEntry>& spareMenuEntries() {
    static const std::vector<MenuEntry> entries = {
        {"CloseDefaultCD1", "Close Default CD", nullptr, Command::CloseDefaultCD, 0},
        {"OpendefaultCD1", "Open default CD", nullptr, Command::OpenDefaultCD, 0},
        {"InsertedMedia1", "Inserted Media", nullptr, Command::InsertedMedia, 0},
        kSeparator,
        {"SearchDrives2", "Search Drives", nullptr, Command::SearchDrives, 0},
        {"MinimizeAll2", "Minimize All", nullptr, Command::MinimizeAllSpare, 0},
        {"Defrag2", "Defrag", nullptr, Command::Defrag, 0},
        {"NTBackupRestore2", "NT Backup / Restore", nullptr, Command::NTBackupRestore, 0},
    };
    return entries;
}

std::vector<Command> commandsOfTables() {
    std::set<Command> found;
    const auto take = [&](const std::vector<MenuEntry>& entries) {
        for (const auto& entry : entries)
            if (entry.command != Command::None) found.insert(entry.command);
    };
    for (const auto& menu : mainMenus()) take(menu.entries);
    take(listPopupEntries());
    take(spareMenuEntries());
    for (const auto& button : toolButtons()) {
        found.insert(button.click);
        take(button.dropDown);
    }
    return {found.begin(), found.end()};
}

bool CommandDispatcher::run(Command command) {
    const auto handler = m_handlers.find(command);
    if (handler == m_handlers.end()) return false;
    // A copy: the handler may rebind commands while it runs.
    const Handler run = handler->second;
    try {
        run();
    } catch (const std::exception& error) {
        if (m_showError) m_showError(error.what());
    }
    return true;
}

}  // namespace zv::app
