// Number separators of the user's locale.
#include "platform/linux/locale_separators.h"

#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>

namespace zv::lnx {

std::string numericLocaleName(const char* lcAll, const char* lcNumeric, const char* lang) {
    for (const char* value : {lcAll, lcNumeric, lang})
        if (value && *value) return value;
    return "C";
}

platform::LocaleSeparators separatorsOfLocale(const std::string& name) {
    platform::LocaleSeparators separators;  // "." and ","
    std::string base = name.substr(0, name.find_first_of(".@"));
    if (base == "C" || base == "POSIX") return separators;
    locale_t locale = ::newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (!locale) return separators;
    const char* decimal = ::nl_langinfo_l(RADIXCHAR, locale);
    const char* thousands = ::nl_langinfo_l(THOUSEP, locale);
    if (decimal && *decimal) separators.decimal = decimal;
    separators.thousands = thousands ? thousands : "";
    ::freelocale(locale);
    return separators;
}

platform::LocaleSeparators environmentSeparators() {
    return separatorsOfLocale(numericLocaleName(std::getenv("LC_ALL"), std::getenv("LC_NUMERIC"), std::getenv("LANG")));
}

}  // namespace zv::lnx
