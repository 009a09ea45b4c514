#include "chkdsk/fmt_chk_dsk.h"

#include "common/utf.h"

#include <array>
#include <map>
#include <utility>

namespace zv::chkdsk {

using namespace zv::win;

namespace {

// The check library's module, loaded once per platform and kept while any engine lives
// (the window's engine lives for the whole program, so that is until the program ends).
struct LibraryState {
    int engines = 0;
    bool attempted = false;
    HMODULE module = 0;
    bool chkdskFound = false;
};

std::map<platform::Platform*, LibraryState>& libraries() {
    static std::map<platform::Platform*, LibraryState> states;
    return states;
}

TFmtChkDsk* g_activeEngine = nullptr;

// The text up to the first zero of a wide buffer of `size` characters (a full buffer may
// hold none).
std::u16string bufferText(const char16_t* buffer, size_t size) {
    size_t length = 0;
    while (length < size && buffer[length] != 0) ++length;
    return std::u16string(buffer, length);
}

bool isNtFamily(platform::Platform& platform) {
    OSVERSIONINFOA info;
    if (!platform.system().GetVersionExA(&info)) return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool loadLibrary(platform::Platform& platform) {
    LibraryState& state = libraries()[&platform];
    if (state.attempted) return state.chkdskFound;
    if (!isNtFamily(platform)) return false;
    state.attempted = true;
    state.module = platform.system().LoadLibraryA("fmifs.dll");
    if (state.module == 0) return false;
    state.chkdskFound = platform.system().GetProcAddress(state.module, "Chkdsk") != FALSE;
    // Looked up as the library's loader always did; nothing calls them.
    platform.system().GetProcAddress(state.module, "FormatEx");
    platform.system().GetProcAddress(state.module, "EnableVolumeCompession");
    return state.chkdskFound;
}

constexpr std::array<const char*, 4> kProblemPhrases = {"found problems", "Correcting errors",
                                                        "Errors found", "(fix) option"};
constexpr const char* kFreeSpacePhrase = "free space marked as allocated";

std::string upperDriveText(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

BOOL asLibraryBoolean(bool value) { return value ? static_cast<BOOL>(-1) : 0; }

}  // namespace

std::string trimLine(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

TFmtChkDsk::TFmtChkDsk(platform::Platform& platform) : m_platform(platform) {
    ++libraries()[&m_platform].engines;
}

TFmtChkDsk::~TFmtChkDsk() {
    if (g_activeEngine == this) g_activeEngine = nullptr;
    auto found = libraries().find(&m_platform);
    if (found == libraries().end()) return;
    if (--found->second.engines > 0) return;
    if (found->second.module != 0) m_platform.system().FreeLibrary(found->second.module);
    libraries().erase(found);
}

TFmtChkDsk* TFmtChkDsk::ActiveEngine() { return g_activeEngine; }

bool TFmtChkDsk::CheckDisk(const std::string& drive, bool CorrectErrors, bool Verbose, bool CheckDirty,
                           bool ScanDrive) {
    if (!loadLibrary(m_platform)) return false;
    const std::string driveText = upperDriveText(drive);
    // The callback reaches one engine only; a second check started from inside the first
    // one's event processing would take over its messages.
    if (g_activeEngine != nullptr && g_activeEngine->m_running)
        throw FmtChkException("Check Disk is already running: " + driveText);

    if (driveText.size() < 2 || driveText[1] != ':')
        throw FmtChkException("Invalid Drive Specification: " + driveText);

    const std::u16string wideDrive = utf16FromUtf8(driveText);
    std::array<char16_t, 261> label{};
    std::array<char16_t, 261> fileSystem{};
    DWORD maximumComponentLength = 0;
    DWORD fileSystemFlags = 0;
    if (!m_platform.drives().GetVolumeInformationW(wideDrive.c_str(), label.data(), label.size(), nullptr,
                                                   &maximumComponentLength, &fileSystemFlags,
                                                   fileSystem.data(), fileSystem.size()))
        throw FmtChkException("Drive Not Found: " + driveText);
    const std::u16string fileSystemName = bufferText(fileSystem.data(), fileSystem.size());
    fireInfo(driveText + " Volume Label: " + utf8FromUtf16(bufferText(label.data(), label.size())) +
             ", File System: " + utf8FromUtf16(fileSystemName));

    if (CorrectErrors) {
        const std::u16string device = u"\\\\.\\" + wideDrive.substr(0, 1) + u":";
        const HANDLE handle =
            m_platform.io().CreateFileW(device.c_str(), GENERIC_WRITE, 0, OPEN_EXISTING, 0);
        if (handle == INVALID_HANDLE_VALUE || handle == 0)
            throw FmtChkException("Drive In Use: " + driveText);
        m_platform.io().CloseHandle(handle);
    }

    g_activeEngine = this;
    m_finishedOk = false;
    m_fileSysProblem = false;
    m_freeSpaceAlloc = false;
    m_firstErrorLine.clear();
    m_handlerError = nullptr;

    m_running = true;
    m_platform.checkLibrary().Chkdsk(wideDrive.c_str(), fileSystemName.c_str(), asLibraryBoolean(CorrectErrors),
                                     asLibraryBoolean(Verbose), asLibraryBoolean(CheckDirty),
                                     asLibraryBoolean(ScanDrive), nullptr, nullptr, &TFmtChkDsk::fmifsCallback);
    m_running = false;

    if (m_handlerError) std::rethrow_exception(std::exchange(m_handlerError, nullptr));
    return m_fileSysProblem ? true : m_finishedOk;
}

BOOLEAN TFmtChkDsk::fmifsCallback(DWORD command, DWORD /*subAction*/, void* data) {
    if (g_activeEngine == nullptr) return 1;
    return g_activeEngine->handleMessage(command, data);
}

BOOLEAN TFmtChkDsk::handleMessage(DWORD command, void* data) {
    // A handler failed earlier: the check is being abandoned.
    if (m_handlerError) return 0;
    bool cancel = false;
    try {
        switch (command & 0xFF) {
        case platform::FMIFS_PROGRESS: {
            const int32_t percent = data ? *static_cast<const int32_t*>(data) : 0;
            if (onProgressEvent) onProgressEvent(percent, cancel);
            break;
        }
        case platform::FMIFS_DONE: {
            m_finishedOk = data && *static_cast<const BOOLEAN*>(data) != 0;
            cancel = fireInfo(m_finishedOk ? "Check Disk: Finished OK" : "Check Disk: Unable to Finish");
            break;
        }
        case platform::FMIFS_OUTPUT: {
            const auto* output = static_cast<const platform::TEXTOUTPUT*>(data);
            const std::string line = trimLine(output && output->Output ? output->Output : "");
            classifyLine(line);
            if (!line.empty()) cancel = fireInfo(line);
            break;
        }
        default:
            cancel = fireInfo("Check Disk Callback: " + std::to_string(command & 0xFF));
            break;
        }
    } catch (...) {
        // The library is plain code that must not be unwound through; the error is raised
        // again once it has returned.
        m_handlerError = std::current_exception();
        return 0;
    }
    return cancel ? 0 : 1;
}

void TFmtChkDsk::classifyLine(const std::string& line) {
    for (const char* phrase : kProblemPhrases) {
        if (line.find(phrase) != std::string::npos) {
            m_fileSysProblem = true;
            if (m_firstErrorLine.empty()) m_firstErrorLine = line;
            break;
        }
    }
    if (line.find(kFreeSpacePhrase) != std::string::npos) {
        m_freeSpaceAlloc = true;
        if (m_firstErrorLine.empty()) m_firstErrorLine = line;
    }
}

bool TFmtChkDsk::fireInfo(const std::string& info) {
    bool cancel = false;
    if (onInfoEvent && !info.empty()) onInfoEvent(info, cancel);
    return cancel;
}

}  // namespace zv::chkdsk
