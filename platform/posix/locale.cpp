// The user's locale from the environment (getenv only), and the user's
// language as a Windows language code through the emulation's table of
// Windows' codes. A region that Windows gives no code of its own takes the
// language's code.
#include "platform/posix/locale.h"

#include <cstdlib>

#include "portable/emulation/language_codes.h"

namespace posix {

namespace {

// The order in which setlocale(LC_ALL, "") looks; `lookup` gives a
// variable's value, or null or empty when it is not set.
template <typename Lookup>
std::string FirstSet(const char* category, Lookup lookup) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = lookup(variable);
    if (value != nullptr && value[0] != '\0') return value;
  }
  return "";
}

}  // namespace

std::string LocaleName(const char* category) {
  return FirstSet(category, [](const char* name) { return std::getenv(name); });
}

std::string LocaleName(const char* category,
                       const std::vector<std::string>& environment) {
  std::string value;
  return FirstSet(category, [&](const char* name) {
    value = EnvironmentValue(environment, name);
    return value.c_str();
  });
}

std::string EnvironmentValue(const std::vector<std::string>& environment,
                             const std::string& name) {
  for (const std::string& entry : environment) {
    if (entry.size() > name.size() && entry[name.size()] == '=' &&
        entry.compare(0, name.size(), name) == 0)
      return entry.substr(name.size() + 1);
  }
  return "";
}

std::string LanguageForLocale(const std::string& locale) {
  const char* code = emulation::LanguageCodeForLocale(locale);
  return code != nullptr ? code : "ENU";
}

bool IsCLocale(const std::string& locale) {
  if (locale.empty()) return true;
  const std::string base = locale.substr(0, locale.find_first_of(".@"));
  return base == "C" || base == "POSIX";
}

std::string LanguageFromLocale() {
  return LanguageForLocale(LocaleName("LC_MESSAGES"));
}

}  // namespace posix
