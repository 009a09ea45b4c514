#include "tools/bench_mark_view_state.h"

#include "tools/read_speed.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace zv::tools {

using namespace zv::win;

std::string driveTypeWord(UINT driveType) {
    switch (driveType) {
    case DRIVE_FIXED: return "LOCAL";
    case DRIVE_CDROM: return "CD/DVD";
    case DRIVE_REMOVABLE: return "REMOVABLE";
    default: return {};
    }
}

BenchMarkViewState::BenchMarkViewState(platform::Platform& platform, IMessages& messages,
                                       std::function<std::string()> names)
    : m_platform(platform), m_messages(messages), m_names(std::move(names)) {}

void BenchMarkViewState::Button1Click() {
    m_workList.clear();
    std::array<char, 255> roots{};
    const DWORD length = m_platform.drives().GetLogicalDriveStringsA(roots.size(), roots.data());
    if (length == 0 || length >= roots.size()) return;
    for (size_t i = 0; i < length && roots[i] != 0;) {
        const std::string root(&roots[i]);
        i += root.size() + 1;
        const std::string letter = root.substr(0, 1);
        const UINT type = m_platform.drives().GetDriveTypeA((letter + ":").c_str());
        if ((CheckBox1 && type == DRIVE_FIXED) || (CheckBox2 && type == DRIVE_CDROM) ||
            (CheckBox3 && type == DRIVE_REMOVABLE))
            m_workList.push_back(letter + ": ");
    }
    // A copy: a nested event might change the work list while the drives are tested.
    const std::vector<std::string> work = m_workList;
    for (const std::string& entry : work) BenchmarkDrive(entry[0]);
}

void BenchMarkViewState::BenchmarkDrives(const std::vector<char>& letters) {
    m_workList.clear();
    for (char letter : letters) m_workList.push_back(std::string(1, letter) + ": ");
    const std::vector<std::string> work = m_workList;
    for (const std::string& entry : work) BenchmarkDrive(entry[0]);
}

namespace {

std::string readCacheLayer(platform::Platform& platform, const std::string& root) {
    std::array<char, 512> buffer{};
    const DWORD length = platform.io().GetReadCacheLayerA(root.c_str(), buffer.data(), buffer.size());
    return length > 0 && length < buffer.size() ? std::string(buffer.data(), length) : std::string();
}

}  // namespace

void BenchMarkViewState::BenchmarkDrive(char letter) {
    const std::string root = std::string(1, letter) + ":\\";
    const int runCount = runs < 1 ? 1 : runs;
    if (onDriveStarted) onDriveStarted(letter);

    // The root itself when it may be written, else a folder of the user's on that volume.
    std::array<char, 1024> folderBuffer{};
    const DWORD folderLength =
        m_platform.io().GetWritableFolderA(root.c_str(), folderBuffer.data(), folderBuffer.size());
    const std::string folder =
        folderLength > 0 && folderLength < folderBuffer.size() ? std::string(folderBuffer.data()) : std::string();

    std::vector<uint64_t> intervals;
    bool cacheBypassed = false;
    bool ok = false;
    setBusy(true);
    {
        ReadTestFile file(m_platform, m_names);
        if (!folder.empty() && file.create(folder) && file.writeAll(fileSize)) {
            cacheBypassed = file.cacheBypassed();
            ok = true;
            for (int run = 0; run < runCount && ok; ++run) {
                const auto interval = file.timedRead();
                if (interval) intervals.push_back(*interval);
                else ok = false;
            }
        }
        file.close();
    }
    setBusy(false);
    if (!ok) {
        m_messages.showMessage("Cannot create file");
        return;
    }

    const uint64_t bytes = (fileSize + kBenchmarkBlockSize - 1) / kBenchmarkBlockSize * kBenchmarkBlockSize;
    BenchmarkRow row;
    row.Drive = std::string(1, letter) + ":";
    row.Type = driveTypeWord(m_platform.drives().GetDriveTypeA(row.Drive.c_str()));
    row.runs = runCount;
    row.cacheLayer = readCacheLayer(m_platform, root);
    row.cacheBypassed = cacheBypassed && row.cacheLayer.empty();
    row.folder = folder;
    const uint64_t fastest = *std::min_element(intervals.begin(), intervals.end());
    const uint64_t total = std::accumulate(intervals.begin(), intervals.end(), uint64_t{0});
    row.bestKbPerSec = readSpeedKbPerSec(bytes, fastest);
    // The mean rate is the one of the mean interval: the total bytes over the total time.
    row.meanKbPerSec = readSpeedKbPerSec(bytes, total / intervals.size());
    if (row.bestKbPerSec) row.Speed = speedText(*row.bestKbPerSec);
    row.Notes = notesOf(row, letter);
    m_rows.push_back(row);
    if (onRowAdded) onRowAdded(m_rows.back());
    if (!row.bestKbPerSec) m_messages.showMessage("Number too big");
}

std::string BenchMarkViewState::notesOf(const BenchmarkRow& row, char letter) const {
    std::vector<std::string> parts;
    if (row.runs > 1) {
        std::string part = "best of " + std::to_string(row.runs) + " runs";
        if (row.meanKbPerSec) part += ", mean " + speedText(*row.meanKbPerSec);
        parts.push_back(part);
    }
    if (!row.cacheLayer.empty()) parts.push_back("reads may still come from a cache: " + row.cacheLayer);
    else if (!row.cacheBypassed) parts.push_back("the system's cache could not be bypassed");
    if (row.folder != std::string(1, letter) + ":\\") parts.push_back("file written in " + row.folder);
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
    return text;
}

void BenchMarkViewState::setBusy(bool busy) {
    if (onBusy) onBusy(busy);
}

}  // namespace zv::tools
