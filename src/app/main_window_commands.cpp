// TForm1's menus, toolbar and command bindings, built from the command table.
#include "app/main_window.h"

#include "app/drive_list_view.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace zv::app {

namespace {

bool isToolWindowCommand(Command command) {
    switch (command) {
    case Command::DiskInfoWindow:
    case Command::SmartWindow:
    case Command::CheckDiskWindow:
    case Command::BenchmarkWindow:
    case Command::OpticalInfoWindow:
    case Command::VolumesWindow:
    case Command::UsbDrivesWindow:
    case Command::ClusterFiguresWindow: return true;
    default: return false;
    }
}

}  // namespace

QAction* TForm1::makeAction(const MenuEntry& entry, QWidget* keyOwner) {
    QString caption = QString::fromLatin1(entry.caption);
    auto* action = new QAction(this);
    action->setObjectName(QString::fromLatin1(entry.objectName));
    if (entry.key && (entry.flags & KeyShownOnly)) {
        // Shown in the menu; the window-wide twin carries the key, so it is never ambiguous.
        caption += QStringLiteral("\t") + QString::fromLatin1(entry.key);
    } else if (entry.key) {
        action->setShortcut(QKeySequence(QString::fromLatin1(entry.key)));
        if (keyOwner) {
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            keyOwner->addAction(action);
        }
    }
    action->setText(caption);
    action->setCheckable(entry.flags & Checkable);
    action->setChecked(entry.flags & Checked);
    action->setVisible(!(entry.flags & Hidden));
    const Command command = entry.command;
    connect(action, &QAction::triggered, this, [this, command] { m_dispatcher.run(command); });
    m_actions[action->objectName()] = action;
    m_actionsByCommand.emplace(command, action);
    return action;
}

void TForm1::addEntries(QMenu* menu, const std::vector<MenuEntry>& entries, QWidget* keyOwner) {
    for (const auto& entry : entries) {
        if (entry.flags & Separator)
            menu->addSeparator();
        else
            menu->addAction(makeAction(entry, keyOwner));
    }
}

void TForm1::buildMenus() {
    for (const auto& group : mainMenus()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(group.title));
        menu->setObjectName(QString::fromLatin1(group.objectName));
        addEntries(menu, group.entries, nullptr);
    }
    m_listPopup = new QMenu(this);
    m_listPopup->setObjectName(QStringLiteral("PopupMenu1"));
    addEntries(m_listPopup, listPopupEntries(), ListView1);
    // The spare pop-up menu: built with its items, attached to no control.
    m_spareMenu = new QMenu(this);
    m_spareMenu->setObjectName(QStringLiteral("mainMenu9"));
    addEntries(m_spareMenu, spareMenuEntries(), nullptr);
}

void TForm1::buildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(32, 32));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->setFixedHeight(57);
    ToolBar1->setStyleSheet(QStringLiteral(
        "QToolBar { border: 0px; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a64b8, stop:1 #1c3f94); }"
        "QToolButton { color: white; border: 0px; background: transparent; padding: 0px; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 40); }"
        "QToolButton:pressed { background: rgba(0, 0, 0, 40); }"
        "QToolButton:disabled { color: #9fb0d8; }"
        "QToolButton::menu-button { border: 0px; background: transparent; width: 12px; }"));
    QFont captions = ToolBar1->font();
    captions.setPixelSize(10);
    ToolBar1->setFont(captions);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    for (const auto& entry : toolButtons()) {
        auto* button = new QToolButton(ToolBar1);
        button->setObjectName(QString::fromLatin1(entry.objectName));
        button->setText(QString::fromLatin1(entry.caption));
        // A caption wider than its button ("Properties" in most desktop fonts) is set smaller
        // and tighter rather than cut.
        // (The toolbar's style sheet decides the buttons' fonts, so the size goes there too.)
        QFont fitting = captions;
        while (fitting.pixelSize() > 8 && QFontMetrics(fitting).horizontalAdvance(button->text()) > 48)
            fitting.setPixelSize(fitting.pixelSize() - 1);
        if (fitting.pixelSize() != captions.pixelSize())
            button->setStyleSheet(QStringLiteral("QToolButton { font-size: %1px; }").arg(fitting.pixelSize()));
        button->setIcon(QIcon(QStringLiteral(":/zorvane/toolbar/%1.png").arg(QString::fromLatin1(entry.picture))));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        if (entry.hint) button->setToolTip(QString::fromLatin1(entry.hint));
        const Command click = entry.click;
        connect(button, &QToolButton::clicked, this, [this, click] { m_dispatcher.run(click); });
        if (!entry.dropDown.empty()) {
            auto* menu = new QMenu(button);
            menu->setObjectName(QString::fromLatin1(entry.objectName) + QStringLiteral("Menu"));
            addEntries(menu, entry.dropDown, nullptr);
            button->setMenu(menu);
            button->setPopupMode(QToolButton::MenuButtonPopup);
            button->setFixedSize(54 + 14, 52);
            if (entry.rightClickMenu) {
                button->setContextMenuPolicy(Qt::CustomContextMenu);
                connect(button, &QWidget::customContextMenuRequested, this,
                        [button, menu](const QPoint& at) { menu->popup(button->mapToGlobal(at)); });
            }
        } else {
            button->setFixedSize(54, 52);
        }
        ToolBar1->addWidget(button);
    }
}

void TForm1::bindCommands() {
    auto& d = m_dispatcher;
    const auto selected = [this] { return selectedLetter(); };

    // The window itself.
    d.bind(Command::Refresh, [this] { Refresh1Click(); });
    d.bind(Command::Minimize, [this] { Minimize1Click(); });
    d.bind(Command::StayOnTop, [this] { Stayontop2Click(); });
    d.bind(Command::AutoRefresh, [this] { AutoRefresh1Click(); });
    d.bind(Command::Bold, [this] { Bold1Click(); });
    d.bind(Command::SkipAB, [this] { SkipAandBdrives1Click(); });
    d.bind(Command::Close, [this] { close(); });
    d.bind(Command::Exit, [this] { close(); });
    d.bind(Command::About, [this] { About1Click(); });
    d.bind(Command::Settings, [this] {
        if (m_companions.settings) m_companions.settings->exec();
    });

    // Drive hiding.
    d.bind(Command::HideDrive, [this, selected] { m_hiding.HideDrive1Click(selected()); });
    d.bind(Command::UnhideDrive, [this, selected] { m_hiding.UnhideDrive1Click(selected()); });
    d.bind(Command::UnhideAndRefresh, [this, selected] { m_hiding.Unhide2Click(selected()); });

    // Removable media.
    d.bind(Command::LoadMedia, [this, selected] { m_media.LoadMedia1Click(selected()); });
    d.bind(Command::EjectMedia, [this, selected] { m_media.EjectMedia1Click(selected()); });
    d.bind(Command::LockDoor, [this, selected] { m_media.LockCDDoor1Click(selected()); });
    d.bind(Command::UnlockDoor, [this, selected] { m_media.UnlockCDDoor1Click(selected()); });
    d.bind(Command::OpenDefaultCD, [this] { m_media.OpendefaultCD1Click(); });
    d.bind(Command::CloseDefaultCD, [this] { m_media.CloseDefaultCD1Click(); });
    d.bind(Command::InsertedMedia, [this, selected] { m_media.InsertedMedia1Click(selected()); });

    // Shell and system.
    d.bind(Command::Explore, [this] { m_shell.explore(selectedCaption(), false); });
    d.bind(Command::ExploreWithHourglass, [this] { m_shell.ListView1DblClick(selectedCaption()); });
    d.bind(Command::Properties, [this, selected] { m_shell.Properties1Click(selected()); });
    d.bind(Command::MapNetworkDrive, [this] { m_shell.MapNetworkDrive1Click(); });
    d.bind(Command::DisconnectNetworkDrive, [this] { m_shell.DisconnectNetworkDrive1Click(); });
    d.bind(Command::SearchDrives, [this] { m_shell.SearchDrive1Click(); });
    d.bind(Command::MinimizeAll, [this] { m_shell.MinimizeAll1Click("minimizeall"); });
    d.bind(Command::MinimizeAllSpare, [this] { m_shell.MinimizeAll1Click("MinimizeAll"); });
    d.bind(Command::Defrag, [this] { m_shell.Defrag1Click(); });
    d.bind(Command::NTBackup, [this] { m_shell.NTBackup1Click(); });
    d.bind(Command::NTBackupRestore, [this] { m_shell.NTBackupRestore2Click(); });
    d.bind(Command::RemoveUSBDrive, [this] { m_shell.RemoveUSBDrive1Click(); });
    d.bind(Command::FormatDisk, [this] { m_shell.FormatDisk1Click(); });
    d.bind(Command::HomePage, [this] { m_shell.Label2Click(); });
    d.bind(Command::ProductPage, [this] { m_shell.ZorvaneHomepage1Click(); });
    d.bind(Command::Donate, [this] { m_shell.Donate1Click(); });
    d.bind(Command::DiskFlags, [this] { m_shell.Diskflags1Click(); });
}

void TForm1::setCompanions(CompanionWindows companions) {
    m_companions = std::move(companions);
    for (const auto& [command, window] : m_companions.toolWindows)
        if (window) m_ownedWindows.emplace_back(window);
    if (m_companions.substDialog) {
        m_subst = std::make_unique<actions::SubstCommands>(m_context.platform, m_context.messages,
                                                           *m_companions.substDialog, [this] { Refresh1Click(); });
        m_dispatcher.bind(Command::CreateSubst, [this] { m_subst->CreateSubstituteDrive1Click(); });
        m_dispatcher.bind(Command::RemoveSubst, [this] { m_subst->RemoveSubstituteDrive1Click(selectedLetter()); });
        m_dispatcher.bind(Command::QuerySubst, [this] { m_subst->Query1Click(selectedLetter()); });
    }
    for (const auto& [command, window] : m_companions.toolWindows) {
        if (window)
            bindToolWindow(command);
        else
            m_dispatcher.unbind(command);
    }
    updateCommandStates();
}

void TForm1::bindToolWindow(Command command) {
    m_dispatcher.bind(command, [this, command] { showToolWindow(command); });
}

void TForm1::showToolWindow(Command command) {
    const auto found = m_companions.toolWindows.find(command);
    if (found == m_companions.toolWindows.end() || !found->second) return;
    QWidget* window = found->second;
    window->show();
    window->raise();
    window->activateWindow();
}

void TForm1::updateCommandStates() {
    // Items and buttons whose command has no handler (a tool window not built) are disabled.
    for (const auto& [command, action] : m_actionsByCommand)
        if (command != Command::None) action->setEnabled(m_dispatcher.isBound(command) || !isToolWindowCommand(command));
    for (const auto& entry : toolButtons()) {
        auto* button = ToolBar1->findChild<QToolButton*>(QString::fromLatin1(entry.objectName));
        if (button) button->setEnabled(m_dispatcher.isBound(entry.click) || !isToolWindowCommand(entry.click));
    }
}

}  // namespace zv::app
