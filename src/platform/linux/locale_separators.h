// The user's decimal and thousands separators from the environment's numeric locale.
#pragma once

#include "platform/api/platform.h"

#include <string>

namespace zv::lnx {

// The locale name that governs numbers: LC_ALL, else LC_NUMERIC, else LANG (the first that
// is set and not empty), else "C". Null arguments count as unset.
std::string numericLocaleName(const char* lcAll, const char* lcNumeric, const char* lang);

// The separators of an installed locale, read in a private locale object (the process's
// global locale is never changed). The C and POSIX locales, and a locale that is not
// installed, give "." and "," - the separators of the English (United States) default and
// what the window's Qt shows for the C locale, so that both halves of the program agree.
platform::LocaleSeparators separatorsOfLocale(const std::string& name);

// The separators from the real environment.
platform::LocaleSeparators environmentSeparators();

}  // namespace zv::lnx
