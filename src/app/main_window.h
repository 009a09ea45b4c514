// TForm1, the main window: toolbar, picture strip, the drive list, the bottom panel with the
// filter and option boxes, the main menu and the list's context menu, the auto-refresh timer
// and the command table that reaches every drive action and tool window.
#pragma once

#include "actions/drive_hiding.h"
#include "actions/removable_media.h"
#include "actions/shell_commands.h"
#include "actions/subst_commands.h"
#include "app/app_context.h"
#include "app/command_table.h"
#include "survey/drive_survey.h"

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <memory>
#include <optional>

class QAction;
class QCheckBox;
class QDialog;
class QLabel;
class QMenu;
class QTimer;
class QToolBar;

namespace zv::app {

class DriveListView;
class SurveyListSinkImpl;

// Stable identities of the windows handed to the platform as owners.
inline constexpr win::HWND kMainWindowHandle = 1;
inline constexpr win::HWND kApplicationWindowHandle = 2;

// The windows TForm1 shows, created after it at program start.
struct CompanionWindows {
    QDialog* aboutBox = nullptr;              // TAboutBox, modal
    actions::ISubstDialog* substDialog = nullptr;  // TFrmSubstDialog, modal
    QDialog* settings = nullptr;              // TfrmSettings, modal
    std::map<Command, QWidget*> toolWindows;  // null entries: not built (their commands are disabled)
};

class TForm1 final : public QMainWindow {
    Q_OBJECT
public:
    // `noRefresh`: "/norefresh" was given, the first survey waits for a trigger.
    TForm1(AppContext& context, bool noRefresh, actions::WebAddresses addresses);
    ~TForm1() override;

    // Hands over the windows created after this one; commands whose window is null are disabled.
    void setCompanions(CompanionWindows companions);

    // The drive the actions work on.
    std::optional<std::string> selectedCaption() const;
    std::optional<char> selectedLetter() const;

    DriveListView* listView() const { return ListView1; }
    QLabel* statusLabel() const { return Label5; }
    QTimer* timer() const { return Timer1; }
    // Menu items, pop-up items and toolbar drop-down items by their names ("Refresh2", "Bold1").
    QAction* action(const QString& objectName) const;
    QMenu* listPopup() const { return m_listPopup; }
    QMenu* spareMenu() const { return m_spareMenu; }
    CommandDispatcher& dispatcher() { return m_dispatcher; }
    survey::SurveyOptions surveyOptions() const;
    bool autoRefresh() const { return m_autoRefresh; }
    bool stayOnTop() const { return m_stayOnTop; }
    bool skipAB() const { return m_skipAB; }
    // How many surveys ran to their end (a refused nested one does not count).
    int surveysRun() const { return m_surveysRun; }

public slots:
    void Refresh1Click();
    void Timer1Timer();
    void FormShow();
    void AutoRefresh1Click();
    void CheckBox6Click(bool checked);
    void Stayontop2Click();
    void CheckBox7Click(bool checked);
    void SkipAandBdrives1Click();
    void Bold1Click();
    void Minimize1Click();
    void About1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildToolBar();
    void buildMenus();
    void buildBottomPanel(QWidget* panel);
    void bindCommands();
    void bindToolWindow(Command command);
    QAction* makeAction(const MenuEntry& entry, QWidget* keyOwner);
    void addEntries(QMenu* menu, const std::vector<MenuEntry>& entries, QWidget* keyOwner);
    void setChecks(Command command, bool checked);
    void applyStayOnTop(bool onTop);
    void updateCommandStates();
    void showToolWindow(Command command);

    AppContext& m_context;
    bool m_noRefresh;
    bool m_shown = false;
    bool m_autoRefresh = true;
    bool m_skipAB = true;
    bool m_stayOnTop = false;
    bool m_bold = true;
    int m_surveysRun = 0;
    bool m_refreshPending = false;

    survey::DriveSurvey m_survey;
    CommandDispatcher m_dispatcher;
    actions::RemovableMediaCommands m_media;
    actions::DriveHidingCommands m_hiding;
    actions::ShellCommands m_shell;
    std::unique_ptr<actions::SubstCommands> m_subst;
    CompanionWindows m_companions;
    std::vector<QPointer<QWidget>> m_ownedWindows;

    DriveListView* ListView1 = nullptr;
    std::unique_ptr<SurveyListSinkImpl> m_sink;
    QLabel* Label5 = nullptr;
    QWidget* m_panel = nullptr;
    QLabel* m_address = nullptr;
    // The bottom panel and its address in the colours of the current palette.
    void applyThemeColours();
    QTimer* Timer1 = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox8 = nullptr;
    QMenu* m_listPopup = nullptr;
    QMenu* m_spareMenu = nullptr;
    std::map<QString, QAction*> m_actions;
    std::multimap<Command, QAction*> m_actionsByCommand;
};

}  // namespace zv::app
