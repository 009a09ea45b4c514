// The allocation figures of every logical drive: sectors per cluster, bytes per sector,
// free clusters and total clusters, one row per drive.
#pragma once

#include "platform/api/platform.h"

#include <array>
#include <string>
#include <vector>

namespace zv::tools {

struct ClusterFiguresRow {
    std::string Drive;                    // "C:\"
    std::array<std::string, 4> SubItems;  // the four counts in decimal, or four empty texts
    std::array<win::DWORD, 4> counts{};   // sectors/cluster, bytes/sector, free, total
};

// The column captions of the list: the drive and the four figures.
extern const std::array<const char*, 5> kClusterFiguresCaptions;

// The figures of one drive root, read with the critical-error boxes switched off; zeros
// when the drive cannot answer (no medium).
ClusterFiguresRow readClusterFigures(platform::Platform& platform, char letter);
// One row for each logical drive, in the order of the logical drive strings.
std::vector<ClusterFiguresRow> readAllClusterFigures(platform::Platform& platform);

}  // namespace zv::tools
