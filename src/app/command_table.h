// The main window's command table as data: every menu item, list pop-up item and toolbar
// button with its caption, key and the command it reaches. The window builds its menus and
// toolbar from these tables and binds each command to one handler; the dispatcher runs a
// handler and shows an error it raises in the application error box.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace zv::app {

enum class Command {
    None,
    // window
    Refresh, Minimize, StayOnTop, AutoRefresh, Bold, SkipAB, Close, Exit, About, Settings,
    // drive hiding
    HideDrive, UnhideDrive, UnhideAndRefresh,
    // substitute drives
    CreateSubst, RemoveSubst, QuerySubst,
    // removable media
    LoadMedia, EjectMedia, LockDoor, UnlockDoor, OpenDefaultCD, CloseDefaultCD, InsertedMedia,
    // shell and system
    Explore, ExploreWithHourglass, Properties, MapNetworkDrive, DisconnectNetworkDrive, SearchDrives,
    MinimizeAll, MinimizeAllSpare, Defrag, NTBackup, NTBackupRestore, RemoveUSBDrive, FormatDisk,
    HomePage, ProductPage, Donate, DiskFlags,
    // tool windows
    DiskInfoWindow, SmartWindow, CheckDiskWindow, BenchmarkWindow, OpticalInfoWindow, VolumesWindow,
    UsbDrivesWindow, ClusterFiguresWindow,
};

enum EntryFlag : unsigned {
    Separator = 1,
    Checkable = 2,
    Checked = 4,
    Hidden = 8,
    // The key is shown in the menu; it is carried by the window-wide twin of the command.
    KeyShownOnly = 16,
};

struct MenuEntry {
    const char* objectName = nullptr;  // nullptr for a separator
    const char* caption = nullptr;
    const char* key = nullptr;         // "F5" ... or nullptr
    Command command = Command::None;
    unsigned flags = 0;
};

struct MenuGroup {
    const char* objectName;
    const char* title;  // with the & before its Alt-key letter
    std::vector<MenuEntry> entries;
};

struct ToolButtonEntry {
    const char* objectName;
    const char* caption;
    const char* hint;           // nullptr: no hint
    const char* picture;        // resource name of the 32 x 32 picture
    Command click;
    std::vector<MenuEntry> dropDown;  // empty: no drop-down arrow
    bool rightClickMenu;        // the drop-down also opens on a right click
};

// File, View, Drives, Optical, Tools, Help.
const std::vector<MenuGroup>& mainMenus();
// The drive list's context menu, top to bottom (hidden items at the end).
const std::vector<MenuEntry>& listPopupEntries();
// The toolbar, left to right.
const std::vector<ToolButtonEntry>& toolButtons();
// The spare pop-up menu that no control opens.
const std::vector<MenuEntry>& spareMenuEntries();
// Every command some entry of the tables reaches.
std::vector<Command> commandsOfTables();

// Runs commands by their handlers. An exception a handler raises ends the command and is
// shown through `showError` (the application error box); the window keeps running.
class CommandDispatcher {
public:
    using Handler = std::function<void()>;

    explicit CommandDispatcher(std::function<void(const std::string&)> showError) : m_showError(std::move(showError)) {}

    void bind(Command command, Handler handler) { m_handlers[command] = std::move(handler); }
    void unbind(Command command) { m_handlers.erase(command); }
    bool isBound(Command command) const { return m_handlers.count(command) != 0; }
    // False when the command has no handler (nothing runs then).
    bool run(Command command);

private:
    std::function<void(const std::string&)> m_showError;
    std::map<Command, Handler> m_handlers;
};

}  // namespace zv::app
