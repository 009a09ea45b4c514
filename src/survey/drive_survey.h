// The drive survey: walks the drive letters, classifies, measures and identifies each one,
// and produces one DriveRecord per listed letter.
#pragma once

#include "common/ui_services.h"
#include "platform/api/platform.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace zv::survey {

// The fourteen column captions of the drive list, left to right. "Drive" is the caption
// column; the other thirteen are DriveRecord::columns().
extern const std::array<const char*, 14> kDriveListCaptions;

struct DriveRecord {
    char Letter = 'C';
    int DriveNumber = 3;
    win::UINT DriveType = 0;
    bool Disconnected = false;
    bool NotMounted = false;
    bool Hidden = false;     // the letter is hidden from the file manager (Visibility "Hidden")
    std::string VolumeLabel;
    std::string TypeText;
    std::string AdditionalInfo;
    int ImageIndex = 0;
    double TotalBytes = 0;
    double FreeBytes = 0;
    double UsedBytes = 0;
    double PercentFree = 0;
    std::string FileSystemName;
    std::string SerialText;
    std::string Visibility;
    std::string IdentityText;
    std::string Vendor;
    std::string ProductId;

    // Column texts as the list shows them.
    std::string caption;   // "C: " (letter, colon, blank)
    std::string sizeText, usedText, availableText, bytesFreeText, percentFreeText;

    // Columns 2 to 14 in list order: Label, Type, Additional Info, Size, Used, Available,
    // Bytes Free, Format, Volume Serial, % Free, Visibility, Vendor, Product Id.
    std::array<std::string, 13> columns() const;
};

struct SurveyOptions {
    bool skipAB = true;
    bool local = true;         // CheckBox1 "Local": when off, DriveType 3 rows are dropped
    bool cdDvd = true;         // CheckBox2 "CD/DVD": DriveType 5
    bool removable = true;     // CheckBox3 "Removable": DriveType 2
    bool network = true;       // CheckBox4 "Network": DriveType 4
    bool notMounted = true;    // CheckBox5 "Not mounted": NotMounted rows
    bool disconnected = true;  // CheckBox8 "Disconnected": Disconnected rows
};

// The list the survey fills, and the window steps around it. The main window implements it
// with its list view; the command line and tests collect the rows.
class SurveyListSink {
public:
    virtual ~SurveyListSink() = default;
    virtual void showStatus() {}           // Label5 shown and repainted at once
    virtual void hideStatus() {}
    virtual int selectedIndex() const { return -1; }   // -1: no row selected
    virtual int horizontalScroll() const { return 0; }
    virtual void beginUpdate() {}          // batch update and drawing locked
    virtual void endUpdate() {}
    virtual void clearRows() = 0;
    virtual void addRow(const DriveRecord& record) = 0;
    virtual void removeLastRow() = 0;      // a filter dropped the row just added
    virtual int rowCount() const = 0;
    virtual void selectRow(int /*index*/) {}
    virtual void setHorizontalScroll(int /*position*/) {}
};

// Collects rows (command line, tests).
class CollectingSink : public SurveyListSink {
public:
    std::vector<DriveRecord> rows;
    void clearRows() override { rows.clear(); }
    void addRow(const DriveRecord& record) override { rows.push_back(record); }
    void removeLastRow() override { rows.pop_back(); }
    int rowCount() const override { return static_cast<int>(rows.size()); }
};

class DriveSurvey {
public:
    // The detail of CD/DVD rows for a letter ("DVD-RW", "DVD-R", "CD-RW", "CD-R" or "").
    using OpticalKindQuery = std::function<std::string(char letter)>;

    // CD/DVD details come from zv::optical::QueryOpticalDriveKind, which lets `pump` run
    // pending messages while it waits for the drive.
    DriveSurvey(platform::Platform& platform, IEventPump& pump);

    // `Refresh1Click`: runs one survey into the sink. Returns false without doing anything
    // when a survey is already running (a refresh that arrived while messages ran inside it).
    // The closing steps (batch update ended, error mode 0, status hidden, pending messages run
    // once) happen on every path; an error that escapes a step is raised again after them,
    // with the rows added so far left in the sink.
    bool run(const SurveyOptions& options, SurveyListSink& sink);
    bool running() const { return m_running; }

    // Replaces the CD/DVD detail query (tests, and windows that want another source).
    void setOpticalKindQuery(OpticalKindQuery query) { m_opticalKind = std::move(query); }

private:
    void surveyLetters(const SurveyOptions& options, SurveyListSink& sink);
    void fillRecord(DriveRecord& record, bool hasFreeSpaceEx, const platform::LocaleSeparators& locale);
    void measure(DriveRecord& record, bool hasFreeSpaceEx);
    bool hasDiskFreeSpaceEx();
    void finish(SurveyListSink& sink, bool updating);

    platform::Platform& m_platform;
    IEventPump& m_pump;
    OpticalKindQuery m_opticalKind;
    bool m_running = false;
};

}  // namespace zv::survey
