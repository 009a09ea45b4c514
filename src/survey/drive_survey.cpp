#include "survey/drive_survey.h"

#include "optical/optical_drive_kind.h"
#include "survey/drive_classification.h"
#include "survey/drive_filters.h"
#include "survey/drive_identity.h"
#include "survey/drive_texts.h"
#include "survey/subst.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zv::survey {

using namespace zv::win;

const std::array<const char*, 14> kDriveListCaptions = {
    "Drive", "Label", "Type", "Additional Info", "Size", "Used", "Available", "Bytes Free",
    "Format", "Volume Serial", "% Free", "Visibility", "Vendor", "Product Id"};

std::array<std::string, 13> DriveRecord::columns() const {
    return {VolumeLabel, TypeText, AdditionalInfo, sizeText, usedText, availableText, bytesFreeText,
            FileSystemName, SerialText, percentFreeText, Visibility, Vendor, ProductId};
}

namespace {

// The list keeps at most 80 bytes of a label and 20 of a file-system name. The buffers are
// larger than that because the system refuses the whole call (label and file system both)
// when a text does not fit; a longer text is cut here instead, a UTF-8 label on a
// character boundary.
constexpr DWORD kLabelBufferSize = 256;
constexpr DWORD kFileSystemBufferSize = 64;
constexpr size_t kMaxLabelBytes = 80;
constexpr size_t kMaxFileSystemBytes = 20;
constexpr DWORD kRemoteNameLength = 260;

std::string textOf(const char* buffer, size_t size) { return std::string(buffer, strnlen(buffer, size)); }

std::string rootOf(char letter) { return std::string(1, letter) + ":\\"; }

class PlatformQueries final : public ClassificationQueries {
public:
    PlatformQueries(platform::Platform& platform, const DriveSurvey::OpticalKindQuery& optical)
        : m_platform(platform), m_optical(optical) {}
    std::string substFolder(char letter) override { return QuerySubstDrive(m_platform, letter); }
    bool isExternal(char letter) override { return IsExternalDrive(m_platform, letter); }
    DWORD networkConnection(const std::string& driveName, std::string* remoteName) override {
        std::array<char, kRemoteNameLength> remote{};
        DWORD length = kRemoteNameLength;
        const DWORD result = m_platform.network().WNetGetConnectionA(driveName.c_str(), remote.data(), &length);
        if (result == NO_ERROR) *remoteName = textOf(remote.data(), remote.size());
        return result;
    }
    std::string opticalKind(char letter) override { return m_optical(letter); }

private:
    platform::Platform& m_platform;
    const DriveSurvey::OpticalKindQuery& m_optical;
};

// Puts the previous error mode back when the size queries are done, also when they fail.
class ErrorModeScope {
public:
    ErrorModeScope(platform::IDrives& drives, UINT mode) : m_drives(drives), m_previous(drives.SetErrorMode(mode)) {}
    ~ErrorModeScope() { m_drives.SetErrorMode(m_previous); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

private:
    platform::IDrives& m_drives;
    UINT m_previous;
};

// The total and the caller's free bytes of a volume, each -1 when its query fails. The
// extended call is used where the system has it; older systems give clusters and sectors.
double diskSize(platform::IDrives& drives, const std::string& root, bool hasFreeSpaceEx) {
    if (hasFreeSpaceEx) {
        ULONGLONG available = 0, total = 0, totalFree = 0;
        if (!drives.GetDiskFreeSpaceExA(root.c_str(), &available, &total, &totalFree)) return -1;
        return static_cast<double>(total);
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!drives.GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return -1;
    return static_cast<double>(uint64_t(sectorsPerCluster) * bytesPerSector * totalClusters);
}

double diskFree(platform::IDrives& drives, const std::string& root, bool hasFreeSpaceEx) {
    if (hasFreeSpaceEx) {
        ULONGLONG available = 0, total = 0, totalFree = 0;
        if (!drives.GetDiskFreeSpaceExA(root.c_str(), &available, &total, &totalFree)) return -1;
        return static_cast<double>(available);
    }
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!drives.GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return -1;
    return static_cast<double>(uint64_t(sectorsPerCluster) * bytesPerSector * freeClusters);
}

}  // namespace

DriveSurvey::DriveSurvey(platform::Platform& platform, IEventPump& pump)
    : m_platform(platform), m_pump(pump), m_opticalKind([this](char letter) {
          return optical::QueryOpticalDriveKind(m_platform, m_pump, letter);
      }) {}

bool DriveSurvey::run(const SurveyOptions& options, SurveyListSink& sink) {
    if (m_running) return false;
    m_running = true;
    // Cleared only after the closing steps: a refresh that arrives while the final
    // messages run must not start a survey inside this one.
    struct RunningFlag {
        bool& flag;
        ~RunningFlag() { flag = false; }
    } runningFlag{m_running};

    bool updating = false;
    try {
        sink.showStatus();
        const int remembered = std::max(0, sink.selectedIndex());
        const int scroll = sink.horizontalScroll();
        sink.beginUpdate();
        updating = true;
        sink.clearRows();
        surveyLetters(options, sink);
        sink.endUpdate();
        updating = false;
        if (sink.rowCount() > 0 && remembered < sink.rowCount()) sink.selectRow(remembered);
        sink.setHorizontalScroll(scroll);
    } catch (...) {
        finish(sink, updating);
        throw;
    }
    finish(sink, updating);
    return true;
}

void DriveSurvey::finish(SurveyListSink& sink, bool updating) {
    if (updating) sink.endUpdate();
    m_platform.drives().SetErrorMode(0);
    sink.hideStatus();
    m_pump.processPendingMessages();
}

bool DriveSurvey::hasDiskFreeSpaceEx() {
    platform::ISystem& system = m_platform.system();
    const HMODULE kernel = system.LoadLibraryA("kernel32.dll");
    if (kernel == 0) return false;
    const bool found = system.GetProcAddress(kernel, "GetDiskFreeSpaceExA") != 0;
    system.FreeLibrary(kernel);
    return found;
}

void DriveSurvey::surveyLetters(const SurveyOptions& options, SurveyListSink& sink) {
    const DWORD mask = m_platform.drives().GetLogicalDrives();
    const platform::LocaleSeparators locale = m_platform.system().GetLocaleSeparators();
    const bool hasFreeSpaceEx = hasDiskFreeSpaceEx();

    for (char letter = options.skipAB ? 'C' : 'A'; letter <= 'Z'; ++letter) {
        const bool disconnected = IsUnavailableConnection(m_platform, std::string(1, letter) + ':');
        // A remembered connection that cannot be reached gets a row although the letter is
        // no logical drive.
        if ((mask & DriveLetterBit(letter)) == 0 && !disconnected) continue;

        DriveRecord record;
        record.Letter = letter;
        record.DriveNumber = letter - 'A' + 1;
        record.Disconnected = disconnected;
        record.caption = std::string(1, letter) + ": ";
        try {
            fillRecord(record, hasFreeSpaceEx, locale);
        } catch (...) {
            sink.addRow(record);  // the row was in the list before its step failed
            throw;
        }
        sink.addRow(record);
        if (droppedByFilters(record, options)) sink.removeLastRow();
    }
}

void DriveSurvey::fillRecord(DriveRecord& record, bool hasFreeSpaceEx, const platform::LocaleSeparators& locale) {
    const char letter = record.Letter;
    const std::string root = rootOf(letter);
    platform::IDrives& drives = m_platform.drives();

    std::array<char, kLabelBufferSize> label{};
    std::array<char, kFileSystemBufferSize> fileSystem{};
    if (drives.GetVolumeInformationA(root.c_str(), label.data(), kLabelBufferSize, nullptr, nullptr, nullptr,
                                     fileSystem.data(), kFileSystemBufferSize)) {
        record.VolumeLabel = cutAtCharacterBoundary(textOf(label.data(), label.size()), kMaxLabelBytes);
        record.FileSystemName = textOf(fileSystem.data(), fileSystem.size()).substr(0, kMaxFileSystemBytes);
    }

    record.IdentityText = QueryDriveIdentity(m_platform, letter);

    record.DriveType = drives.GetDriveTypeA(root.c_str());
    PlatformQueries queries(m_platform, m_opticalKind);
    DriveClass kind = classifyDrive(record.DriveType, letter, record.Disconnected, record.IdentityText, queries);
    record.TypeText = std::move(kind.typeText);
    record.ImageIndex = kind.imageIndex;
    record.AdditionalInfo = std::move(kind.additionalInfo);

    measure(record, hasFreeSpaceEx);
    if (record.TotalBytes == -1) {
        record.VolumeLabel = "Not mounted";
        record.NotMounted = true;
        record.PercentFree = 0;
        record.FileSystemName.clear();
    }
    if (record.TotalBytes != 0 && !record.NotMounted)
        record.PercentFree = record.FreeBytes / record.TotalBytes * 100;
    else if (record.TotalBytes == 0)
        record.PercentFree = 0;

    record.sizeText = sizeText(record.TotalBytes, locale);
    record.usedText = sizeText(record.UsedBytes, locale);
    record.availableText = sizeText(record.FreeBytes, locale);
    record.bytesFreeText = bytesFreeText(record.FreeBytes, locale);
    record.SerialText = QueryVolumeSerialText(m_platform, letter);
    record.percentFreeText = percentFreeText(record.PercentFree, locale);

    record.Hidden = QueryDriveVisibility(m_platform, letter) == VisibilityHidden;
    record.Visibility = record.Hidden ? "Hidden" : "Visible";
    record.Vendor = vendorOf(record.IdentityText);
    record.ProductId = productIdOf(record.IdentityText);
}

void DriveSurvey::measure(DriveRecord& record, bool hasFreeSpaceEx) {
    // An empty floppy, card reader or CD drive must raise no system dialog while it is
    // measured; everything else runs in the normal error mode.
    platform::IDrives& drives = m_platform.drives();
    ErrorModeScope quiet(drives, SEM_FAILCRITICALERRORS);
    if (record.Disconnected) {
        record.TotalBytes = record.FreeBytes = record.UsedBytes = 0;
        return;
    }
    const std::string root = rootOf(record.Letter);
    record.TotalBytes = diskSize(drives, root, hasFreeSpaceEx);
    record.FreeBytes = diskFree(drives, root, hasFreeSpaceEx);
    record.UsedBytes = record.TotalBytes - record.FreeBytes;
}

}  // namespace zv::survey
