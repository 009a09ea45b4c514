#include "chkdsk/check_disk_view_state.h"

#include <array>
#include <cctype>

namespace zv::chkdsk {

using namespace zv::win;

std::vector<std::string> fixedDriveEntries(platform::Platform& platform) {
    std::vector<std::string> entries;
    std::array<char, 255> roots{};
    const DWORD length = platform.drives().GetLogicalDriveStringsA(roots.size(), roots.data());
    if (length == 0 || length >= roots.size()) return entries;
    for (size_t i = 0; i < length && roots[i] != 0;) {
        const std::string root(&roots[i]);
        i += root.size() + 1;
        const std::string letter = root.substr(0, 1);
        if (platform.drives().GetDriveTypeA((letter + ":").c_str()) != DRIVE_FIXED) continue;
        std::array<char, 81> label{};
        std::array<char, 21> fileSystem{};
        DWORD serial = 0, componentLength = 0, flags = 0;
        if (!platform.drives().GetVolumeInformationA((letter + ":\\").c_str(), label.data(), label.size(),
                                                     &serial, &componentLength, &flags, fileSystem.data(),
                                                     fileSystem.size()))
            label[0] = 0;
        label.back() = 0;
        entries.push_back(letter + ": [" + label.data() + "]");
    }
    return entries;
}

CheckDiskViewState::CheckDiskViewState(platform::Platform& platform, IEventPump& pump)
    : m_platform(platform), m_pump(pump), m_engine(std::make_unique<TFmtChkDsk>(platform)) {
    m_engine->onProgressEvent = [this](int32_t percent, bool& cancel) { ProgressEvent(percent, cancel); };
    m_engine->onInfoEvent = [this](const std::string& info, bool& cancel) { InfoEvent(info, cancel); };
}

CheckDiskViewState::~CheckDiskViewState() = default;

void CheckDiskViewState::FormShow() { m_driveEntries = fixedDriveEntries(m_platform); }

void CheckDiskViewState::Button1Click(const std::string& driveText) {
    // The button is disabled while a check runs; a nested click that still arrives is ignored.
    if (m_running) return;
    const std::string letter =
        driveText.empty() ? std::string()
                          : std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(driveText[0]))));
    m_stopRequested = false;
    setRunning(true);
    try {
        setProgress(0);
        LogInfo("Starting Check Disk for " + letter + ":");
        const bool result = m_engine->CheckDisk(driveText.substr(0, driveText.empty() ? 0 : 1) + ":\\",
                                                OptCorrectErrors, OptVerbose, OptCheckDirty, OptScanDrive);
        if (!result) LogInfo("Check Disk Failed");
        setProgress(0);
        if (m_engine->FileSysProblem()) LogInfo("Problems found with " + letter + ":");
        m_outcome = m_engine->FileSysProblem() ? CheckOutcome::ProblemsFound
                    : result                   ? CheckOutcome::FinishedOk
                                               : CheckOutcome::Failed;
    } catch (const std::exception& error) {
        LogInfo(std::string("Error: ") + error.what());
        m_outcome = CheckOutcome::Error;
    }
    LogInfo("");
    setRunning(false);
}

namespace {

std::string rootOf(const std::string& driveText) {
    const char letter = driveText.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(driveText[0])));
    return std::string(1, letter) + ":\\";
}

}  // namespace

std::string CheckDiskViewState::MountedText(const std::string& driveText) {
    std::array<char, 4096> buffer{};
    const DWORD length = m_platform.drives().GetVolumeMountsA(rootOf(driveText).c_str(), buffer.data(), buffer.size());
    return length > 0 && length < buffer.size() ? std::string(buffer.data(), length) : std::string();
}

void CheckDiskViewState::UnmountFixAndMount(const std::string& driveText) {
    if (m_running) return;
    const std::string root = rootOf(driveText);
    const std::string drive = root.substr(0, 2);
    const std::string mounts = MountedText(driveText);
    if (!mounts.empty()) {
        LogInfo("Unmounting " + drive + " for the check: " + mounts);
        if (!m_platform.drives().DismountVolumeA(root.c_str())) {
            const DWORD error = m_platform.GetLastError();
            LogInfo("Error: " + drive + " could not be unmounted" +
                    (error == ERROR_BUSY ? std::string(": a program is using it. Close it and try again.")
                                         : " (error " + std::to_string(error) + ")."));
            LogInfo("");
            m_outcome = CheckOutcome::Error;
            return;
        }
    }
    const bool correctErrors = OptCorrectErrors;
    OptCorrectErrors = true;
    Button1Click(driveText);
    OptCorrectErrors = correctErrors;
    if (mounts.empty()) return;
    if (m_platform.drives().RemountVolumeA(root.c_str())) {
        LogInfo("Mounted again: " + mounts);
    } else {
        LogInfo("Error: " + drive + " could not be mounted again (error " +
                std::to_string(m_platform.GetLastError()) + "); mount it yourself: " + mounts);
        m_outcome = CheckOutcome::Error;
    }
    LogInfo("");
}

void CheckDiskViewState::Button2Click() {
    if (m_running) m_stopRequested = true;
}

void CheckDiskViewState::LogInfo(const std::string& text) {
    m_log.push_back(text);
    if (onLogLine) onLogLine(text);
}

void CheckDiskViewState::ProgressEvent(int32_t Percent, bool& Cancel) {
    setProgress(Percent);
    m_pump.processPendingMessages();
    Cancel = m_stopRequested;
}

void CheckDiskViewState::InfoEvent(const std::string& Info, bool& Cancel) {
    LogInfo(Info);
    m_pump.processPendingMessages();
    Cancel = m_stopRequested;
}

void CheckDiskViewState::setProgress(int percent) {
    m_progress = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    if (onProgress) onProgress(m_progress);
}

void CheckDiskViewState::setRunning(bool running) {
    m_running = running;
    if (onRunningChanged) onRunningChanged(running);
}

}  // namespace zv::chkdsk
