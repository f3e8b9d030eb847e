// The user's locale as the environment names it: the variable in force for
// a category, and the Windows language code (such as DEU) of the user's
// messages. Reads variables only; no locale is loaded or changed here.
#pragma once

#include <string>
#include <vector>

namespace posix {

// The locale name in force for a category ("LC_MESSAGES", "LC_CTYPE"), as
// setlocale(LC_ALL, "") finds it: the first of LC_ALL, the category's own
// variable and LANG that is set and not empty. Empty when none is, which is
// the C locale.
std::string LocaleName(const char* category);
// The same in an environment of NAME=value entries, such as a child gets.
std::string LocaleName(const char* category,
                       const std::vector<std::string>& environment);
// The value of the variable `name` in such an environment: its first entry's;
// empty when it has none.
std::string EnvironmentValue(const std::vector<std::string>& environment,
                             const std::string& name);

// Whether a locale name is the C locale: C or POSIX, with any character set
// or modifier, or no name at all. It names no language or character set.
bool IsCLocale(const std::string& locale);

// The Windows language code of the user's messages (LocaleName of
// LC_MESSAGES). "ENU" when nothing maps.
std::string LanguageFromLocale();
// The same for one locale name such as "de_DE.UTF-8".
std::string LanguageForLocale(const std::string& locale);

}  // namespace posix
