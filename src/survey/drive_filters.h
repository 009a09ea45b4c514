// The row filters of the drive list.
#pragma once

#include "survey/drive_survey.h"

namespace zv::survey {

// True when at least one disabled kind matches the row (a row is dropped once, however many
// match). Local, CD/DVD, Removable and Network look at the drive type only; Not mounted and
// Disconnected at the row's flags.
bool droppedByFilters(const DriveRecord& record, const SurveyOptions& options);

}  // namespace zv::survey
