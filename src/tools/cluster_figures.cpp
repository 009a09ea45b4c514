#include "tools/cluster_figures.h"

namespace zv::tools {

using namespace zv::win;

const std::array<const char*, 5> kClusterFiguresCaptions = {"Drive", "Sectors per Cluster", "Bytes per Sector",
                                                           "Free Clusters", "Total Clusters"};

ClusterFiguresRow readClusterFigures(platform::Platform& platform, char letter) {
    ClusterFiguresRow row;
    row.Drive = std::string(1, letter) + ":\\";
    const UINT previousMode = platform.drives().SetErrorMode(SEM_FAILCRITICALERRORS);
    try {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
        // The result is not examined: after a failed call the counts stay 0.
        platform.drives().GetDiskFreeSpaceA(row.Drive.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                            &totalClusters);
        row.counts = {sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
        for (size_t i = 0; i < row.counts.size(); ++i) row.SubItems[i] = std::to_string(row.counts[i]);
    } catch (...) {
        row.counts = {};
        row.SubItems = {};
    }
    platform.drives().SetErrorMode(previousMode);
    return row;
}

std::vector<ClusterFiguresRow> readAllClusterFigures(platform::Platform& platform) {
    std::vector<ClusterFiguresRow> rows;
    std::array<char, 255> roots{};
    const DWORD length = platform.drives().GetLogicalDriveStringsA(roots.size(), roots.data());
    if (length == 0 || length >= roots.size()) return rows;
    for (size_t i = 0; i < length && roots[i] != 0;) {
        const std::string root(&roots[i]);
        i += root.size() + 1;
        rows.push_back(readClusterFigures(platform, root[0]));
    }
    return rows;
}

}  // namespace zv::tools
