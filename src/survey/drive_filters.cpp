#include "survey/drive_filters.h"

namespace zv::survey {

bool droppedByFilters(const DriveRecord& record, const SurveyOptions& options) {
    using namespace zv::win;
    return (!options.local && record.DriveType == DRIVE_FIXED) ||
           (!options.cdDvd && record.DriveType == DRIVE_CDROM) ||
           (!options.removable && record.DriveType == DRIVE_REMOVABLE) ||
           (!options.network && record.DriveType == DRIVE_REMOTE) ||
           (!options.notMounted && record.NotMounted) || (!options.disconnected && record.Disconnected);
}

}  // namespace zv::survey
