// TFmtChkDsk: runs the system's file-system check on one drive through the check library
// ("fmifs.dll", entry point "Chkdsk") and turns the library's callback messages into a
// progress event and information lines, watching the lines for the phrases that mean the
// file system has problems.
//
// The library's callback carries no user context, so it reaches the engine through one
// process-wide reference to the engine whose check is under way: only one check may run
// at a time in the process (a second CheckDisk while one runs raises FmtChkException).
#pragma once

#include "platform/api/platform.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace zv::chkdsk {

// The pre-check failures: "Invalid Drive Specification: ", "Drive Not Found: ",
// "Drive In Use: " followed by the drive text.
class FmtChkException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Handlers start with Cancel = false and may set it to ask the library to stop.
using TProgressEvent = std::function<void(int32_t Percent, bool& Cancel)>;
using TInfoEvent = std::function<void(const std::string& Info, bool& Cancel)>;

class TFmtChkDsk {
public:
    explicit TFmtChkDsk(platform::Platform& platform);
    // Clears the process-wide reference when this engine is the active one; frees the
    // library when the last engine goes away.
    ~TFmtChkDsk();
    TFmtChkDsk(const TFmtChkDsk&) = delete;
    TFmtChkDsk& operator=(const TFmtChkDsk&) = delete;

    // Runs one check of `drive` (a root such as "C:\"). True when a problem phrase was
    // seen, else the library's final success flag; false at once when the library cannot
    // be loaded. Raises FmtChkException when a pre-check fails, and passes on an exception
    // that an event handler raised (the library is asked to stop first).
    bool CheckDisk(const std::string& drive, bool CorrectErrors, bool Verbose, bool CheckDirty,
                   bool ScanDrive);

    bool FileSysProblem() const { return m_fileSysProblem; }
    bool FreeSpaceAlloc() const { return m_freeSpaceAlloc; }
    const std::string& FirstErrorLine() const { return m_firstErrorLine; }
    bool FinishedOK() const { return m_finishedOk; }

    TProgressEvent onProgressEvent;
    TInfoEvent onInfoEvent;

    // The engine whose check is under way, or the last one that ran; null when none or
    // when that engine went away.
    static TFmtChkDsk* ActiveEngine();
    // The callback handed to the library.
    static win::BOOLEAN fmifsCallback(win::DWORD command, win::DWORD subAction, void* data);

private:
    // What one callback message amounts to.
    win::BOOLEAN handleMessage(win::DWORD command, void* data);
    void classifyLine(const std::string& line);
    bool fireInfo(const std::string& info);

    platform::Platform& m_platform;
    bool m_fileSysProblem = false;
    bool m_freeSpaceAlloc = false;
    bool m_finishedOk = false;
    bool m_running = false;
    std::string m_firstErrorLine;
    std::exception_ptr m_handlerError;
};

// Leading and trailing blanks and control characters removed (every byte up to 0x20).
std::string trimLine(const std::string& text);

}  // namespace zv::chkdsk
