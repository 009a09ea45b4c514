// What the "Bench Mark" window shows and does, apart from its widgets: the drive kinds to
// test, the work list, the result rows and the test of one drive.
#pragma once

#include "common/ui_services.h"
#include "platform/api/platform.h"
#include "tools/read_test_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zv::tools {

struct BenchmarkRow {
    std::string Drive;         // "C:"
    std::string Type;          // "LOCAL", "CD/DVD", "REMOVABLE" or empty
    std::string Test = "Read";
    std::string Speed;         // "20479 kb/sec" (the best run), empty when none could be formed
    std::string Notes;         // runs and mean, cache state, the folder used
    std::optional<int64_t> bestKbPerSec;
    std::optional<int64_t> meanKbPerSec;
    int runs = 0;
    bool cacheBypassed = false;  // unbuffered reads were taken and nothing cached lies below them
    std::string cacheLayer;      // what may still answer reads from a cache ("" when nothing)
    std::string folder;        // where the file was written ("C:\" or a folder below it)
};

// "LOCAL" for 3, "CD/DVD" for 5, "REMOVABLE" for 2, else empty.
std::string driveTypeWord(win::UINT driveType);

class BenchMarkViewState {
public:
    // `names` gives the temporary file names (random by default).
    BenchMarkViewState(platform::Platform& platform, IMessages& messages,
                       std::function<std::string()> names = randomTemporaryNames());

    bool CheckBox1 = true;   // "Local"
    bool CheckBox3 = false;  // "Removeable"
    bool CheckBox2 = false;  // "CD/DVD" (hidden in the window)
    uint64_t fileSize = kBenchmarkFileSize;  // rounded up to whole blocks
    int runs = 1;

    // Builds the work list from the checked kinds and tests each drive in it.
    void Button1Click();
    // Tests the given drives, in that order, whatever their kind.
    void BenchmarkDrives(const std::vector<char>& letters);
    // Tests one drive and adds its row; shows "Cannot create file" or "Number too big".
    void BenchmarkDrive(char letter);

    const std::vector<std::string>& workList() const { return m_workList; }
    const std::vector<BenchmarkRow>& rows() const { return m_rows; }

    // The window's hooks: a drive's test begins, the hourglass cursor, a row was added.
    std::function<void(char)> onDriveStarted;
    std::function<void(bool)> onBusy;
    std::function<void(const BenchmarkRow&)> onRowAdded;

private:
    void setBusy(bool busy);
    std::string notesOf(const BenchmarkRow& row, char letter) const;

    platform::Platform& m_platform;
    IMessages& m_messages;
    std::function<std::string()> m_names;
    std::vector<std::string> m_workList;
    std::vector<BenchmarkRow> m_rows;
};

}  // namespace zv::tools
