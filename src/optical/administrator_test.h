// Whether raw commands may be sent to drives: the platform class of the running system and
// the administrator test on the caller's token.
#pragma once

#include "platform/api/platform.h"

namespace zv::optical {

// The platform class of a version record: NT 3.51 (and later 3.x minors) 2, NT 4 3, NT 5.0 4,
// any other NT version 5; the 9x family 0 (minor 0) or 1; anything else -1.
int PlatformClass(const win::OSVERSIONINFOA& version);
// GetVersionExA's record classified; -1 when the call fails.
int QueryPlatformClass(platform::Platform& platform);

// True when a group of the thread's token (the process token when the thread has none) is
// the built-in Administrators alias S-1-5-32-544. The group list is read into a 1024-byte
// buffer; a longer list, a missing token or a failed read count as not administrator.
bool IsAdministrator(platform::Platform& platform);

// The comparison on a TokenGroups buffer (layout in platform.h), bounded by `length`: a
// group whose identifier lies outside the buffer is skipped.
bool GroupsContainAdministrators(const uint8_t* groups, win::DWORD length);

}  // namespace zv::optical
