// Substitute letters: a letter that stands for a folder, as DefineDosDevice makes them.
//
// The definitions live in the login session's runtime folder (the "substitutes" table, one
// "X<TAB>definition" line each, letter_lines.h), so they last until the user logs out. Each
// letter keeps a stack of definitions, the most recent first, in the form the system shows
// them ("\??\C:\Temp" for a folder; a raw target as given).
#pragma once

#include "platform/linux/linux_context.h"
#include "platform/linux/substitute_table.h"

#include <string>
#include <vector>

namespace zv::lnx {

// The session's definitions. On the session's first use (no table yet), the "subst X: path"
// lines of the user's start-up file are carried out first, so that a letter made permanent
// comes back after the next login.
SubstDefinitions loadSubstitutes(LinuxContext& ctx);
// A cheap stamp of the table file, to notice changes.
std::string substitutesStamp(LinuxContext& ctx);

// The folder a substitute letter stands for ("C:\Temp" or "/home/me"), "" when the letter's
// most recent definition is no folder.
std::string substituteFolder(const std::vector<std::string>& definitions);

// DefineDosDeviceA for a drive letter. Creating on a letter that holds a volume, and
// removing from a letter without a substitute definition, fail (an ordinary volume never
// loses its letter here).
BOOL defineSubstitute(LinuxContext& ctx, DWORD flags, char letter, const char* targetPath);

}  // namespace zv::lnx
