// Windows' three-letter language codes (WIN.INI's sLanguage, such as ENA for
// English in Australia) for Linux locale names: the one table that the Linux
// launcher picks its message section with and that the checker groups a
// language's regions by. Plain data and lookups, no system calls.
#pragma once

#include <string>

namespace emulation {

struct LanguageCode {
  const char* locale;  // language[_REGION][@modifier], as Linux names it
  const char* code;
};

// The table, sorted by locale name: every locale for which Windows has a
// code of its own, and each language alone (or with a script modifier) with
// the code Windows gives it without a region.
const LanguageCode* LanguageCodesBegin();
const LanguageCode* LanguageCodesEnd();

// The code for a locale name such as "sr_RS.UTF-8@latin": its language,
// region and modifier, else without the modifier, else the language with its
// modifier, else the language alone; null when the language has no code.
const char* LanguageCodeForLocale(const std::string& locale);

// The language part of a table entry's locale ("en" of "en_AU").
std::string LanguageOfLocale(const char* locale);

// Whether a table entry names a region (not the language alone).
bool LocaleHasRegion(const char* locale);

}  // namespace emulation
