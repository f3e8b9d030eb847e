// The user's language as a Windows language code, from the locale variables
// (getenv only), through the emulation's table of Windows' codes. A region
// that Windows gives no code of its own takes the language's code.
#include <cstdlib>

#include "platform/posix/posix_support.h"
#include "portable/emulation/language_codes.h"

namespace posix {

std::string LanguageForLocale(const std::string& locale) {
  const char* code = emulation::LanguageCodeForLocale(locale);
  return code != nullptr ? code : "ENU";
}

std::string LanguageFromLocale() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') return LanguageForLocale(value);
  }
  return "ENU";
}

}  // namespace posix
