// The substitute-drive unit: which folder a drive letter stands for, and the creation and
// removal of such letters. Two implementations, chosen by the platform family: the NT family
// uses the system's DOS-device definitions, the older family the long-file-name subst service
// of the DOS interrupt interface (through the VxD call entry).
//
// None of these raises to its caller; every failure turns into the empty text or false.
#pragma once

#include "platform/api/platform.h"

#include <string>

namespace zv::survey {

// The folder that `letter` stands for ("C:\Temp", as it was given at creation, without the
// "\??\" prefix of the device definition), or "" when the letter is no substitute drive,
// no drive at all, or the query fails. The NT branch passes the letter unchanged; the older
// branch folds it to upper case for the drive number.
std::string QuerySubstDrive(platform::Platform& platform, char letter);

// Makes `letter` stand for `path`. NT family: the DOS device "X:" is defined with `path`
// exactly as given (a trailing "\" included). Older family: the short form of the path
// (without a trailing "\") is handed to the subst service, and the result is whether the
// letter now stands for the path (compared without regard to case and trailing "\").
// False when `letter` is no letter A-Z (nothing is asked of the system then).
bool CreateSubstDrive(platform::Platform& platform, char letter, const std::string& path);

// Removes the substitute definition of `letter`. False, without asking the system anything,
// when the letter is no substitute drive: a removal with an empty target must never take
// the letter away from an ordinary volume. NT family: the definition is removed by its
// current target; older family: the subst service terminates it and the result is whether
// the letter is gone.
bool RemoveSubstDrive(platform::Platform& platform, char letter);

// The path routine of the unit: `path` with a "\" appended unless it is non-empty and
// already ends in "\" ("" gives "\", "C:\Temp" gives "C:\Temp\", "C:\" stays).
std::string withTrailingBackslash(const std::string& path);

}  // namespace zv::survey
