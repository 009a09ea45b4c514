// What the "Check Disk" window shows and does, apart from its widgets: the drive box
// entries, the four options, the log and the progress bar, and the window's events.
#pragma once

#include "chkdsk/fmt_chk_dsk.h"
#include "common/ui_services.h"
#include "platform/api/platform.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zv::chkdsk {

// "C: [SYSTEM]" for every fixed drive, in the order of the logical drive strings.
std::vector<std::string> fixedDriveEntries(platform::Platform& platform);

// How the last check ended.
enum class CheckOutcome { NotRun, FinishedOk, ProblemsFound, Failed, Error };

class CheckDiskViewState {
public:
    // `pump` lets pending window messages run during each engine event.
    CheckDiskViewState(platform::Platform& platform, IEventPump& pump);
    ~CheckDiskViewState();

    // FormShow: the drive box is filled anew (each fixed drive listed once).
    void FormShow();
    // Button1Click: runs one check of the drive whose letter starts `driveText`.
    void Button1Click(const std::string& driveText);
    // Button2Click ("Stop"): asks the running check to stop at the checker's next message.
    void Button2Click();

    // What is mounted where for the drive whose letter starts `driveText`, one line per
    // mount ("/dev/sdb1 on /media/data"); "" when it is not mounted.
    std::string MountedText(const std::string& driveText);
    // "Unmount, check and fix, mount again", after the user confirmed MountedText: takes the
    // volume off its mount points, runs a check with fixing (the other options as set) and
    // mounts it again where it was, each step in the log. Nothing is checked when the
    // volume cannot be unmounted; it is mounted again whatever the check's outcome.
    void UnmountFixAndMount(const std::string& driveText);

    void LogInfo(const std::string& text);

    bool OptCorrectErrors = false;
    bool OptVerbose = false;
    bool OptCheckDirty = false;
    bool OptScanDrive = false;

    const std::vector<std::string>& driveEntries() const { return m_driveEntries; }
    const std::vector<std::string>& log() const { return m_log; }
    int progress() const { return m_progress; }
    bool running() const { return m_running; }
    CheckOutcome outcome() const { return m_outcome; }
    const TFmtChkDsk& engine() const { return *m_engine; }

    // The window's hooks: a log line was added, the progress moved, a check started or ended.
    std::function<void(const std::string&)> onLogLine;
    std::function<void(int)> onProgress;
    std::function<void(bool)> onRunningChanged;

private:
    void ProgressEvent(int32_t Percent, bool& Cancel);
    void InfoEvent(const std::string& Info, bool& Cancel);
    void setProgress(int percent);
    void setRunning(bool running);

    platform::Platform& m_platform;
    IEventPump& m_pump;
    std::unique_ptr<TFmtChkDsk> m_engine;
    std::vector<std::string> m_driveEntries;
    std::vector<std::string> m_log;
    int m_progress = 0;
    bool m_running = false;
    bool m_stopRequested = false;
    CheckOutcome m_outcome = CheckOutcome::NotRun;
};

}  // namespace zv::chkdsk
