// The words the Linux system has for a failure. The backend reports failures as Win32 error
// codes; for each code it produced from an errno, the errno is kept (per thread, the most
// recent one per code), so that the message text of the code is the system's own wording
// of what actually went wrong ("No such file or directory"), in the user's language.
#pragma once

#include "platform/api/win32.h"

#include <string>

namespace zv::lnx {

// Notes that `code` was produced from `error` on this thread.
void rememberErrnoOfCode(win::DWORD code, int error);

// Notes, on this thread, words that say better than any errno why `code` was given this
// time ("vda is a virtio disk: ..."); the next errno noted for `code` replaces them.
void rememberExplanationOfCode(win::DWORD code, std::string words);

// The words last noted for `code` on this thread by rememberExplanationOfCode, else "".
std::string explanationOfCode(win::DWORD code);

// The errno behind `code`: the one last noted for it on this thread, else the errno that
// usually stands for it; 0 when no errno corresponds.
int errnoOfCode(win::DWORD code);

// strerror's words for `error` (thread-safe); "" for 0.
std::string errnoWords(int error);

}  // namespace zv::lnx
