// Number separators of the user's locale.
#include "platform/linux/locale_separators.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace zv::lnx {

namespace {

// `text` in the locale's character set, as UTF-8 (the program's own text encoding). Empty
// when it cannot be converted.
std::string toUtf8(const char* text, const char* codeset) {
    if (!codeset || !*codeset || std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0)
        return text;
    iconv_t convert = ::iconv_open("UTF-8", codeset);
    if (convert == reinterpret_cast<iconv_t>(-1)) return {};
    std::string in = text, out(in.size() * 4 + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    size_t left = in.size(), room = out.size();
    const bool converted = ::iconv(convert, &from, &left, &to, &room) != static_cast<size_t>(-1) && left == 0;
    ::iconv_close(convert);
    if (!converted) return {};
    out.resize(out.size() - room);
    return out;
}

}  // namespace

std::string numericLocaleName(const char* lcAll, const char* lcNumeric, const char* lang) {
    for (const char* value : {lcAll, lcNumeric, lang})
        if (value && *value) return value;
    return "C";
}

platform::LocaleSeparators separatorsOfLocale(const std::string& name) {
    platform::LocaleSeparators separators;  // "." and ","
    std::string base = name.substr(0, name.find_first_of(".@"));
    if (base == "C" || base == "POSIX") return separators;
    // The character set belongs to LC_CTYPE: without it a locale such as de_CH.CP1252 would
    // hand out its separators as bytes of that set.
    locale_t locale = ::newlocale(LC_NUMERIC_MASK | LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (!locale) return separators;
    const char* codeset = ::nl_langinfo_l(CODESET, locale);
    const char* decimal = ::nl_langinfo_l(RADIXCHAR, locale);
    const char* thousands = ::nl_langinfo_l(THOUSEP, locale);
    if (decimal && *decimal) {
        const std::string text = toUtf8(decimal, codeset);
        if (!text.empty()) separators.decimal = text;
    }
    separators.thousands = thousands ? toUtf8(thousands, codeset) : "";
    ::freelocale(locale);
    return separators;
}

platform::LocaleSeparators environmentSeparators() {
    return separatorsOfLocale(numericLocaleName(std::getenv("LC_ALL"), std::getenv("LC_NUMERIC"), std::getenv("LANG")));
}

}  // namespace zv::lnx
